// x86 features for MSVC and clang-cl, from cpuid and the extended control
// register that says which register states the system saves.

#include <intrin.h>

#include "fractal/x86_features.h"

namespace {

bool bit(int value, int n) {
  return (static_cast<unsigned>(value) >> n & 1u) != 0;
}

// The register states in XCR0 that the system must save: XMM and YMM for
// AVX, and the opmask and ZMM ones besides for AVX-512.
constexpr unsigned kAvxState = 0x06;
constexpr unsigned kAvx512State = 0xE6;

// Whether the processor has the extended feature (cpuid leaf 7, EBX) and,
// with AVX, the system saves the states it needs. `fma` asks for FMA too.
bool supports(int leaf7Bit, unsigned states, bool fma) {
  int info[4];
  __cpuid(info, 0);
  if (info[0] < 7) return false;
  __cpuid(info, 1);
  // OSXSAVE (the system uses XCR0), AVX and FMA.
  if (!bit(info[2], 27) || !bit(info[2], 28) || (fma && !bit(info[2], 12))) return false;
  if ((_xgetbv(0) & states) != states) return false;
  __cpuidex(info, 7, 0);
  return bit(info[1], leaf7Bit);
}

}  // namespace

bool cpuHasAvx2() {
  return supports(5, kAvxState, true);
}

bool cpuHasAvx512() {
  return supports(16, kAvx512State, false);
}
