#include <cfloat>
#include <cmath>

#include <gtest/gtest.h>

#include "fractal/complex.h"
#include "fractal/escape_test.h"

namespace {

void expectComplex(Complex actual, float re, float im) {
  EXPECT_EQ(actual.re, re);
  EXPECT_EQ(actual.im, im);
}

TEST(ComplexArithmetic, SmallExactCases) {
  expectComplex(compl_sqr({0, 0}), 0, 0);
  expectComplex(compl_sqr({3, 4}), -7, 24);
  expectComplex(compl_sqr({0, 1}), -1, 0);
  expectComplex(compl_sqr({1.5f, 0}), 2.25f, 0);
  expectComplex(compl_sum({0.5f, -1}, {0.25f, 1}), 0.75f, 0);
  EXPECT_EQ(compl_abs({3, 4}), 5.0f);
  EXPECT_EQ(compl_abs({0, 0}), 0.0f);
  EXPECT_EQ(compl_abs({0, -2}), 2.0f);
}

TEST(ComplexArithmetic, SquareRoundsOnlyTheStoredParts) {
  // (1 + 2^-12)^2 - 1 = 2^-11 + 2^-24 fits a float, but the square alone does
  // not: rounding the product to float first loses the 2^-24.
  const float a = 1.0f + std::ldexp(1.0f, -12);
  EXPECT_EQ(compl_sqr({a, 1}).re, std::ldexp(1.0f, -11) + std::ldexp(1.0f, -24));
  // The imaginary part is one rounding of 2 * im * re.
  const float b = 1.0f + std::ldexp(1.0f, -23);
  EXPECT_EQ(compl_sqr({b, b}).im, static_cast<float>(2.0 * double{b} * b));
}

TEST(ComplexArithmetic, ModulusKeepsTheSumOfSquaresPrecise) {
  // A point just outside the escape circle: its modulus rounds to the float
  // after 2 only if the sum of squares is not first rounded to float.
  EXPECT_EQ(compl_abs({0x1.06661cp-2f, 0x1.fbc7bap+0f}), 0x1.000002p+1f);
}

TEST(PlanePoint, EqualsTheExactProductRoundedOnce) {
  if (LDBL_MANT_DIG < 64) GTEST_SKIP() << "long double is too narrow to hold the exact product";
  // (x - 337) * 0.007 is exact in a 64-bit significand for these x.
  for (int x = -100000; x <= 100000; ++x) {
    const auto exact = static_cast<float>((x - 277.0L - 60.0L) * static_cast<long double>(0.007));
    ASSERT_EQ(planePoint(x, 0).re, exact) << "x = " << x;
  }
}

struct Listed {
  int x, y, member, steps;
};

TEST(EscapeTest, ListedPixels) {
  const Listed listed[] = {
      {337, 257, 1, -1}, {0, 0, 0, 0},      {0, 257, 0, 0},    {51, 257, 0, 0},   {52, 257, 1, -1},
      {553, 257, 0, 1},  {553, 553, 0, 0},  {337, 0, 0, 1},    {377, 257, 0, 15}, {378, 257, 0, 14},
      {380, 257, 0, 11}, {390, 257, 0, 6},  {400, 257, 0, 5},  {100, 100, 0, 1},  {300, 100, 0, 4},
      {200, 257, 1, -1}, {250, 300, 1, -1}, {330, 150, 1, -1},
  };
  for (const Listed& p : listed) {
    int steps = -1;  // a member leaves it alone
    EXPECT_EQ(isMandelbrot(p.x, p.y, 100, &steps), p.member) << p.x << "," << p.y;
    EXPECT_EQ(steps, p.steps) << p.x << "," << p.y;
  }
}

TEST(EscapeTest, LimitBoundsTheIterations) {
  int steps = 7;
  EXPECT_EQ(isMandelbrot(0, 0, 0, &steps), 1);
  EXPECT_EQ(isMandelbrot(0, 0, -5, &steps), 1);
  EXPECT_EQ(steps, 7);
  // (377, 257) escapes at step 15: a limit of 15 is too short to see it.
  EXPECT_EQ(isMandelbrot(377, 257, 15, &steps), 1);
  EXPECT_EQ(isMandelbrot(377, 257, 16, &steps), 0);
  EXPECT_EQ(steps, 15);
}

// The whole grid pins down every rounding point: carrying the iteration in
// single precision, or dropping a rounding, moves these figures.
TEST(EscapeTest, WholeGridTotalsAndHistogram) {
  int members = 0;
  long long stepSum = 0;
  int histogram[100] = {};
  for (int y = 0; y < kGridSize; ++y) {
    for (int x = 0; x < kGridSize; ++x) {
      int steps = -1;
      if (isMandelbrot(x, y, 100, &steps)) {
        ++members;
      } else {
        ASSERT_GE(steps, 0);
        ASSERT_LT(steps, 100);
        stepSum += steps;
        ++histogram[steps];
      }
    }
  }
  EXPECT_EQ(members, 31621);
  EXPECT_EQ(kGridSize * kGridSize - members, 275295);
  EXPECT_EQ(stepSum, 609310);
  EXPECT_EQ(histogram[0], 72846);
  EXPECT_EQ(histogram[1], 106344);
  EXPECT_EQ(histogram[2], 43093);
  EXPECT_EQ(histogram[3], 17699);
  EXPECT_EQ(histogram[4], 9836);
  EXPECT_EQ(histogram[99], 10);
}

TEST(EscapeTest, MirrorSymmetricAboutTheRealAxis) {
  for (int d = 1; d <= 257; ++d) {
    for (int x = 0; x < kGridSize; ++x) {
      int above = -1, below = -1;
      ASSERT_EQ(isMandelbrot(x, 257 - d, 100, &above), isMandelbrot(x, 257 + d, 100, &below));
      ASSERT_EQ(above, below) << "x " << x << " d " << d;
    }
  }
}

}  // namespace
