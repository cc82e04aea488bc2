// The escape kernels of a 64-bit x86 build.

#include "fractal/escape_kernels.h"
#include "fractal/x86_features.h"

std::span<const EscapeKernel> escapeKernels() {
  static const EscapeKernel kernels[] = {
      {"avx512", escapeAvx512, cpuHasAvx512()},
      {"avx2", escapeAvx2, cpuHasAvx2()},
      {"sse2", escapeSse2, true},
      {"scalar", escapeScalar, true},
  };
  return kernels;
}
