// The escape kernels of a 32-bit x86 build, which needs SSE2 anyway: without
// it, floating point would run on the x87 unit and skip roundings.

#include "fractal/escape_kernels.h"

std::span<const EscapeKernel> escapeKernels() {
  static const EscapeKernel kernels[] = {
      {"sse2", escapeSse2, true},
      {"scalar", escapeScalar, true},
  };
  return kernels;
}
