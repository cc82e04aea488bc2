// The escape map in NEON, two lanes: every aarch64 processor has it.

#include <arm_neon.h>

#include "fractal/escape_kernels.h"
#include "fractal/escape_lanes.h"

namespace {

struct NeonLanes {
  static constexpr int kWidth = 2;
  static constexpr int kColumns = 2;
  using Floats = float32x2_t;
  using Doubles = float64x2_t;
  using Mask = uint64x2_t;  // all ones in a lane still in
  using Counts = int64x2_t;

  static Floats load(const float* p) { return vld1_f32(p); }
  static Mask all() { return vdupq_n_u64(~std::uint64_t{0}); }
  static Counts noCounts() { return vdupq_n_s64(0); }
  static Doubles widen(Floats a) { return vcvt_f64_f32(a); }
  static Floats narrow(Doubles a) { return vcvt_f32_f64(a); }
  static Floats add(Floats a, Floats b) { return vadd_f32(a, b); }
  static Floats mul(Floats a, Floats b) { return vmul_f32(a, b); }
  static Doubles mul(Doubles a, Doubles b) { return vmulq_f64(a, b); }
  static Doubles mulAdd(Doubles a, Doubles b, Doubles c) { return vfmaq_f64(c, a, b); }
  static Doubles mulSub(Doubles a, Doubles b, Doubles c) { return vnegq_f64(vfmsq_f64(c, a, b)); }
  static Mask stillIn(Mask in, Doubles q) {
    return vbicq_u64(in, vcgtq_f64(q, vdupq_n_f64(kEscapeThreshold)));
  }
  // A lane still in is -1 as an integer.
  static Counts count(Counts steps, Mask in) { return vsubq_s64(steps, vreinterpretq_s64_u64(in)); }
  static Mask either(Mask a, Mask b) { return vorrq_u64(a, b); }
  static bool none(Mask in) { return (vgetq_lane_u64(in, 0) | vgetq_lane_u64(in, 1)) == 0; }
  static void store(Counts steps, std::int64_t* out) { vst1q_s64(out, steps); }
};

}  // namespace

void escapeNeon(std::uint8_t limit, std::uint8_t* map) {
  escape_lanes::escapeGrid<NeonLanes, 2, 3>(limit, map);
}
