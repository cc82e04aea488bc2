// The escape kernels of a WebAssembly build.

#include "fractal/escape_kernels.h"

std::span<const EscapeKernel> escapeKernels() {
  static const EscapeKernel kernels[] = {
      {EscapePath::kSimd128, escapeSimd128, true},
      {EscapePath::kScalar, escapeScalar, true},
  };
  return kernels;
}
