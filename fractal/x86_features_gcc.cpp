// x86 features as GCC and Clang's runtime sees them: it reads cpuid and checks
// with xgetbv that the system saves the wider registers.

#include "fractal/x86_features.h"

bool cpuHasAvx2() {
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

bool cpuHasAvx512() {
  return __builtin_cpu_supports("avx512f");
}
