// The escape map one lane wide, in plain C++: the path for processors without
// a vector kernel here, and a reference for the others.

#include "fractal/escape_kernels.h"
#include "fractal/escape_lanes.h"

namespace {

struct ScalarLanes {
  static constexpr int kWidth = 1;
  static constexpr int kColumns = 1;
  using Floats = float;
  using Doubles = double;
  using Mask = bool;
  using Counts = std::int64_t;

  static Floats load(const float* p) { return *p; }
  static Mask all() { return true; }
  static Counts noCounts() { return 0; }
  static Doubles widen(Floats a) { return a; }
  static Floats narrow(Doubles a) { return static_cast<float>(a); }
  static Floats add(Floats a, Floats b) { return a + b; }
  static Floats mul(Floats a, Floats b) { return a * b; }
  static Doubles mul(Doubles a, Doubles b) { return a * b; }
  static Doubles mulAdd(Doubles a, Doubles b, Doubles c) { return a * b + c; }
  static Doubles mulSub(Doubles a, Doubles b, Doubles c) { return a * b - c; }
  static Mask stillIn(Mask in, Doubles q) { return in && !(q > kEscapeThreshold); }
  static Counts count(Counts steps, Mask in) { return steps + in; }
  static Mask either(Mask a, Mask b) { return a || b; }
  static bool none(Mask in) { return !in; }
  static void store(Counts steps, std::int64_t* out) { *out = steps; }
};

}  // namespace

void escapeScalar(std::uint8_t limit, std::uint8_t* map) {
  escape_lanes::escapeGrid<ScalarLanes, 1, 4>(limit, map);
}
