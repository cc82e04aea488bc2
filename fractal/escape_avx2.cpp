// The escape map in AVX2 with FMA, four lanes. Built with both enabled for
// this file alone; used only where the processor and the system support them.

#include <immintrin.h>

#include "fractal/escape_kernels.h"
#include "fractal/escape_lanes.h"

namespace {

struct Avx2Lanes {
  static constexpr int kWidth = 4;
  static constexpr int kColumns = 4;
  using Floats = __m128;
  using Doubles = __m256d;
  using Mask = __m256d;  // all ones in a lane still in
  using Counts = __m256i;

  static Floats load(const float* p) { return _mm_loadu_ps(p); }
  static Mask all() { return _mm256_castsi256_pd(_mm256_set1_epi32(-1)); }
  static Counts noCounts() { return _mm256_setzero_si256(); }
  static Doubles widen(Floats a) { return _mm256_cvtps_pd(a); }
  static Floats narrow(Doubles a) { return _mm256_cvtpd_ps(a); }
  static Floats add(Floats a, Floats b) { return _mm_add_ps(a, b); }
  static Floats mul(Floats a, Floats b) { return _mm_mul_ps(a, b); }
  static Doubles mul(Doubles a, Doubles b) { return _mm256_mul_pd(a, b); }
  static Doubles mulAdd(Doubles a, Doubles b, Doubles c) { return _mm256_fmadd_pd(a, b, c); }
  static Doubles mulSub(Doubles a, Doubles b, Doubles c) { return _mm256_fmsub_pd(a, b, c); }
  static Mask stillIn(Mask in, Doubles q) {
    return _mm256_andnot_pd(_mm256_cmp_pd(q, _mm256_set1_pd(kEscapeThreshold), _CMP_GT_OQ), in);
  }
  // A lane still in is -1 as an integer.
  static Counts count(Counts steps, Mask in) {
    return _mm256_sub_epi64(steps, _mm256_castpd_si256(in));
  }
  static Mask either(Mask a, Mask b) { return _mm256_or_pd(a, b); }
  static bool none(Mask in) { return _mm256_testz_pd(in, in) != 0; }
  static void store(Counts steps, std::int64_t* out) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), steps);
  }
};

}  // namespace

void escapeAvx2(std::uint8_t limit, std::uint8_t* map) {
  escape_lanes::escapeGrid<Avx2Lanes, 2, 3>(limit, map);
}
