// The escape kernels of a 64-bit x86 build.

#include "fractal/escape_kernels.h"
#include "fractal/x86_features.h"

std::span<const EscapeKernel> escapeKernels() {
  static const EscapeKernel kernels[] = {
      {EscapePath::kAvx512, escapeAvx512, cpuHasAvx512()},
      {EscapePath::kAvx2, escapeAvx2, cpuHasAvx2()},
      {EscapePath::kSse2, escapeSse2, true},
      {EscapePath::kScalar, escapeScalar, true},
  };
  return kernels;
}
