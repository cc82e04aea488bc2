// The escape kernels of a build for any other processor.

#include "fractal/escape_kernels.h"

std::span<const EscapeKernel> escapeKernels() {
  static const EscapeKernel kernels[] = {{"scalar", escapeScalar, true}};
  return kernels;
}
