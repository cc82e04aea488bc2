// The escape kernels of a WebAssembly build.

#include "fractal/escape_kernels.h"

std::span<const EscapeKernel> escapeKernels() {
  static const EscapeKernel kernels[] = {
      {"simd128", escapeSimd128, true},
      {"scalar", escapeScalar, true},
  };
  return kernels;
}
