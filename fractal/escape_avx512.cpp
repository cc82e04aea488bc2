// The escape map in AVX-512, eight lanes. Built with AVX-512 enabled for this
// file alone; used only where the processor and the system support it.

#include <immintrin.h>

#include "fractal/escape_kernels.h"
#include "fractal/escape_lanes.h"

namespace {

// Eight lanes hold a block of four columns by two rows.
struct Avx512Lanes {
  static constexpr int kWidth = 8;
  static constexpr int kColumns = 4;
  using Floats = __m256;
  using Doubles = __m512d;
  using Mask = __mmask8;  // a bit for each lane still in
  using Counts = __m512i;

  static Floats load(const float* p) { return _mm256_loadu_ps(p); }
  static Mask all() { return 0xFF; }
  static Counts noCounts() { return _mm512_setzero_si512(); }
  // The zero-masked forms convert all lanes just the same; the plain ones
  // draw GCC 12's false warning about its own headers.
  static Doubles widen(Floats a) { return _mm512_maskz_cvtps_pd(0xFF, a); }
  static Floats narrow(Doubles a) { return _mm512_maskz_cvtpd_ps(0xFF, a); }
  static Floats add(Floats a, Floats b) { return _mm256_add_ps(a, b); }
  static Floats mul(Floats a, Floats b) { return _mm256_mul_ps(a, b); }
  static Doubles mul(Doubles a, Doubles b) { return _mm512_mul_pd(a, b); }
  static Doubles mulAdd(Doubles a, Doubles b, Doubles c) { return _mm512_fmadd_pd(a, b, c); }
  static Doubles mulSub(Doubles a, Doubles b, Doubles c) { return _mm512_fmsub_pd(a, b, c); }
  // The lanes of `in` where q > threshold does not hold.
  static Mask stillIn(Mask in, Doubles q) {
    return _mm512_mask_cmp_pd_mask(in, q, _mm512_set1_pd(kEscapeThreshold), _CMP_NGT_UQ);
  }
  static Counts count(Counts steps, Mask in) {
    return _mm512_mask_add_epi64(steps, in, steps, _mm512_set1_epi64(1));
  }
  static Mask either(Mask a, Mask b) { return static_cast<Mask>(a | b); }
  static bool none(Mask in) { return in == 0; }
  static void store(Counts steps, std::int64_t* out) { _mm512_storeu_si512(out, steps); }
};

}  // namespace

void escapeAvx512(std::uint8_t limit, std::uint8_t* map) {
  escape_lanes::escapeGrid<Avx512Lanes, 2, 3>(limit, map);
}
