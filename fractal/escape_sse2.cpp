// The escape map in SSE2, two lanes: every x86 processor here has it, 32-bit
// ones included.

#include <emmintrin.h>

#include "fractal/escape_kernels.h"
#include "fractal/escape_lanes.h"

namespace {

struct Sse2Lanes {
  static constexpr int kWidth = 2;
  static constexpr int kColumns = 2;
  using Floats = __m128;  // the low two lanes
  using Doubles = __m128d;
  using Mask = __m128d;  // all ones in a lane still in
  using Counts = __m128i;

  static Floats load(const float* p) {
    return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
  }
  static Mask all() { return _mm_castsi128_pd(_mm_set1_epi32(-1)); }
  static Counts noCounts() { return _mm_setzero_si128(); }
  static Doubles widen(Floats a) { return _mm_cvtps_pd(a); }
  static Floats narrow(Doubles a) { return _mm_cvtpd_ps(a); }
  static Floats add(Floats a, Floats b) { return _mm_add_ps(a, b); }
  static Floats mul(Floats a, Floats b) { return _mm_mul_ps(a, b); }
  static Doubles mul(Doubles a, Doubles b) { return _mm_mul_pd(a, b); }
  static Doubles mulAdd(Doubles a, Doubles b, Doubles c) { return _mm_add_pd(_mm_mul_pd(a, b), c); }
  static Doubles mulSub(Doubles a, Doubles b, Doubles c) { return _mm_sub_pd(_mm_mul_pd(a, b), c); }
  static Mask stillIn(Mask in, Doubles q) {
    return _mm_andnot_pd(_mm_cmpgt_pd(q, _mm_set1_pd(kEscapeThreshold)), in);
  }
  // A lane still in is -1 as an integer.
  static Counts count(Counts steps, Mask in) { return _mm_sub_epi64(steps, _mm_castpd_si128(in)); }
  static Mask either(Mask a, Mask b) { return _mm_or_pd(a, b); }
  static bool none(Mask in) { return _mm_movemask_pd(in) == 0; }
  static void store(Counts steps, std::int64_t* out) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), steps);
  }
};

}  // namespace

void escapeSse2(std::uint8_t limit, std::uint8_t* map) {
  escape_lanes::escapeGrid<Sse2Lanes, 2, 3>(limit, map);
}
