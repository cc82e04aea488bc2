// The escape kernels of an aarch64 build.

#include "fractal/escape_kernels.h"

std::span<const EscapeKernel> escapeKernels() {
  static const EscapeKernel kernels[] = {
      {EscapePath::kNeon, escapeNeon, true},
      {EscapePath::kScalar, escapeScalar, true},
  };
  return kernels;
}
