// The escape map in WebAssembly's SIMD128, two double lanes: every browser
// that runs this build has it, as the module won't load without it.

#include <wasm_simd128.h>

#include "fractal/escape_kernels.h"
#include "fractal/escape_lanes.h"

namespace {

struct Simd128Lanes {
  static constexpr int kWidth = 2;
  static constexpr int kColumns = 2;
  struct Floats {
    v128_t v;  // the low two lanes; its own type, as the doubles are v128_t too
  };
  using Doubles = v128_t;
  using Mask = v128_t;  // all ones in a lane still in
  using Counts = v128_t;

  static Floats load(const float* p) { return {wasm_v128_load64_zero(p)}; }
  static Mask all() { return wasm_i64x2_splat(-1); }
  static Counts noCounts() { return wasm_i64x2_splat(0); }
  static Doubles widen(Floats a) { return wasm_f64x2_promote_low_f32x4(a.v); }
  static Floats narrow(Doubles a) { return {wasm_f32x4_demote_f64x2_zero(a)}; }
  static Floats add(Floats a, Floats b) { return {wasm_f32x4_add(a.v, b.v)}; }
  static Floats mul(Floats a, Floats b) { return {wasm_f32x4_mul(a.v, b.v)}; }
  static Doubles mul(Doubles a, Doubles b) { return wasm_f64x2_mul(a, b); }
  static Doubles mulAdd(Doubles a, Doubles b, Doubles c) {
    return wasm_f64x2_add(wasm_f64x2_mul(a, b), c);
  }
  static Doubles mulSub(Doubles a, Doubles b, Doubles c) {
    return wasm_f64x2_sub(wasm_f64x2_mul(a, b), c);
  }
  static Mask stillIn(Mask in, Doubles q) {
    return wasm_v128_andnot(in, wasm_f64x2_gt(q, wasm_f64x2_splat(kEscapeThreshold)));
  }
  // A lane still in is -1 as an integer.
  static Counts count(Counts steps, Mask in) { return wasm_i64x2_sub(steps, in); }
  static Mask either(Mask a, Mask b) { return wasm_v128_or(a, b); }
  static bool none(Mask in) { return !wasm_v128_any_true(in); }
  static void store(Counts steps, std::int64_t* out) { wasm_v128_store(out, steps); }
};

}  // namespace

void escapeSimd128(std::uint8_t limit, std::uint8_t* map) {
  escape_lanes::escapeGrid<Simd128Lanes, 2, 3>(limit, map);
}
