#include <cfloat>
#include <cmath>

#include <gtest/gtest.h>

#include "fractal/complex.h"
#include "fractal/escape_test.h"
#include "tests/reference_picture.h"

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

}  // namespace
