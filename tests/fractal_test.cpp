#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "fractal/complex.h"
#include "fractal/escape_lanes.h"
#include "fractal/escape_test.h"
#include "tests/reference_picture.h"

// Test names and messages show a path by its name.
void PrintTo(EscapePath path, std::ostream* out) {
  *out << escapePathName(path);
}

namespace {

TEST(ComplexArithmetic, ExactCasesAndRoundingPoints) {
  const Complex sq = compl_sqr({3, 4}), sum = compl_sum({0.5f, -1}, {0.25f, 1});
  EXPECT_TRUE(sq.re == -7 && sq.im == 24);
  EXPECT_TRUE(sum.re == 0.75f && sum.im == 0);
  EXPECT_EQ(compl_abs({3, 4}), 5.0f);
  EXPECT_EQ(compl_abs({0, -2}), 2.0f);
  // (1 + 2^-12)^2 - 1 fits a float only if the square is not rounded first.
  const float a = 1.0f + std::ldexp(1.0f, -12);
  EXPECT_EQ(compl_sqr({a, 1}).re, std::ldexp(1.0f, -11) + std::ldexp(1.0f, -24));
  // The imaginary part is one rounding of 2 * im * re.
  const float b = 1.0f + std::ldexp(1.0f, -23);
  EXPECT_EQ(compl_sqr({b, b}).im, static_cast<float>(2.0 * double{b} * b));
  // Just outside the escape circle only if the sum of squares stays precise.
  EXPECT_EQ(compl_abs({0x1.06661cp-2f, 0x1.fbc7bap+0f}), 0x1.000002p+1f);
}

TEST(PlanePoint, EqualsTheExactProductRoundedOnce) {
  if (LDBL_MANT_DIG < 64) GTEST_SKIP() << "long double is too narrow to hold the exact product";
  for (int v = -100000; v <= 100000; ++v) {
    const auto exact = [](long double shift) {
      return static_cast<float>(shift * static_cast<long double>(0.007));
    };
    ASSERT_EQ(planePoint(v, 0).re, exact(v - 337.0L)) << v;
    ASSERT_EQ(planePoint(0, v).im, exact(v - 257.0L)) << v;
  }
}

TEST(EscapeTest, TheLimitBoundsTheIterations) {
  int steps = 7;  // a member leaves it alone
  EXPECT_EQ(isMandelbrot(0, 0, 0, &steps), 1);
  EXPECT_EQ(isMandelbrot(377, 257, 15, &steps), 1);  // escapes at step 15, one too late
  EXPECT_EQ(isMandelbrot(377, 257, 16, &steps), 0);
  EXPECT_EQ(steps, 15);
}

// The whole grid pins down every rounding point: carrying the iteration in
// single precision, or dropping a rounding, moves these figures.
TEST(EscapeTest, WholeGridAgreesWithTheKnownFiguresAndTheReference) {
  int members = 0, histogram[100] = {};
  long long stepSum = 0;
  for (int y = 0; y < kGridSize; ++y) {
    for (int x = 0; x < kGridSize; ++x) {
      int steps = -1;
      const bool member = isMandelbrot(x, y, 100, &steps) == 1;
      ASSERT_TRUE(member || (steps >= 0 && steps < 100));
      members += member;
      if (!member) stepSum += steps, ++histogram[steps];
      // The reference's grey is floor(255 (100 - steps) / 100), one per step.
      const auto grey = static_cast<int>(referencePixels()[y * kGridSize + x] & 0xFF);
      ASSERT_EQ(grey, member ? 0 : 255 * (100 - steps) / 100) << x << "," << y;
    }
  }
  EXPECT_EQ(members, 31621);
  EXPECT_EQ(stepSum, 609310);
  const int expected[] = {72846, 106344, 43093, 17699, 9836};
  for (int steps = 0; steps < 5; ++steps)
    EXPECT_EQ(histogram[steps], expected[steps]) << steps;
  EXPECT_EQ(histogram[99], 10);
}

// The lanes compare the squared modulus with a threshold instead of rounding
// its root to float: the same answer for millions of doubles either side.
TEST(EscapeMap, TheThresholdDecidesAsTheRootDoes) {
  const auto bits = std::bit_cast<std::uint64_t>(kEscapeThreshold);
  for (std::uint64_t b = bits - 2'000'000; b <= bits + 2'000'000; ++b) {
    const double q = std::bit_cast<double>(b);
    ASSERT_EQ(static_cast<float>(std::sqrt(q)) > 2.0f, q > kEscapeThreshold) << std::hexfloat << q;
  }
  for (const double q : {0.0, -1.0, HUGE_VAL, double{NAN}})
    EXPECT_EQ(static_cast<float>(std::sqrt(q)) > 2.0f, q > kEscapeThreshold) << q;
}

// Every path this processor has, forced in turn, gives isMandelbrot's result
// for every pixel, at the picture's limit and at limits that end groups early.
class EscapePaths : public testing::TestWithParam<EscapePath> {};

TEST_P(EscapePaths, AgreeWithTheEscapeTestOnEveryPixel) {
  for (const int limit : {100, 7, 0}) {
    EscapeMap map;
    map.fill(0xEE);
    if (!escapeMapOn(GetParam(), static_cast<std::uint8_t>(limit), map)) {
      GTEST_SKIP() << "not on this processor";
    }
    for (int y = 0; y < kGridSize; ++y) {
      for (int x = 0; x < kGridSize; ++x) {
        int steps = limit;
        isMandelbrot(x, y, limit, &steps);
        ASSERT_EQ(map[y * kGridSize + x], steps) << x << "," << y << " limit " << limit;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(All, EscapePaths,
                         testing::Values(EscapePath::kScalar, EscapePath::kSse2, EscapePath::kAvx2,
                                         EscapePath::kAvx512, EscapePath::kNeon),
                         [](const auto& info) { return escapePathName(info.param); });

}  // namespace
