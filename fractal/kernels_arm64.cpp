// The escape kernels of an aarch64 build.

#include "fractal/escape_kernels.h"

std::span<const EscapeKernel> escapeKernels() {
  static const EscapeKernel kernels[] = {
      {"neon", escapeNeon, true},
      {"scalar", escapeScalar, true},
  };
  return kernels;
}
