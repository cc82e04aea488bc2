#include <cstdint>

#include <string>

#include <gtest/gtest.h>

#include "fractal/escape_kernels.h"
#include "fractal/escape_test.h"
#include "tests/reference_picture.h"

// Test names and messages show a kernel by its name.
void PrintTo(const EscapeKernel& kernel, std::ostream* out) {
  *out << kernel.name;
}

namespace {

// The whole grid pins down every rounding point: carrying the iteration in
// single precision, or dropping a rounding, moves these figures.
TEST(EscapeTest, WholeGridAgreesWithTheKnownFiguresAndTheReference) {
  int members = 0;
  long long stepSum = 0;
  for (int y = 0; y < kGridSize; ++y) {
    for (int x = 0; x < kGridSize; ++x) {
      int steps = -1;
      const bool member = isMandelbrot(x, y, 100, &steps) == 1;
      ASSERT_TRUE(member || (steps >= 0 && steps < 100));
      members += member;
      if (!member) stepSum += steps;
      // The reference's grey is floor(255 (100 - steps) / 100), one per step.
      const auto grey = static_cast<int>(referencePixels()[y * kGridSize + x] & 0xFF);
      ASSERT_EQ(grey, member ? 0 : 255 * (100 - steps) / 100) << x << "," << y;
    }
  }
  EXPECT_EQ(members, 31621);
  EXPECT_EQ(stepSum, 609310);
}

// Every kernel this processor has, run in turn, gives isMandelbrot's result
// for every pixel, at the picture's limit and at limits that end groups early.
class EscapePaths : public testing::TestWithParam<EscapeKernel> {};

TEST_P(EscapePaths, AgreeWithTheEscapeTestOnEveryPixel) {
  if (!GetParam().usable) GTEST_SKIP() << "not on this processor";
  for (const int limit : {100, 7, 0}) {
    EscapeMap map;
    map.fill(0xEE);
    GetParam().run(static_cast<std::uint8_t>(limit), map.data());
    for (int y = 0; y < kGridSize; ++y) {
      for (int x = 0; x < kGridSize; ++x) {
        int steps = limit;
        isMandelbrot(x, y, limit, &steps);
        ASSERT_EQ(map[y * kGridSize + x], steps) << x << "," << y << " limit " << limit;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(All, EscapePaths, testing::ValuesIn(escapeKernels()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
