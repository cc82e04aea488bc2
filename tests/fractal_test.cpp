#include <cmath>
#include <cstdint>
#include <cstring>

#include <map>
#include <string>

#include <gtest/gtest.h>

#include "fractal/escape_kernels.h"
#include "fractal/escape_lanes.h"
#include "fractal/escape_test.h"
#include "tests/reference_picture.h"

// Test names and messages show a kernel by its name.
void PrintTo(const EscapeKernel& kernel, std::ostream* out) {
  *out << kernel.name;
}

namespace {

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

// The lanes compare the squared modulus with a threshold instead of rounding
// its root to float: the same answer for millions of doubles either side.
TEST(EscapeMap, TheThresholdDecidesAsTheRootDoes) {
  std::uint64_t bits;
  std::memcpy(&bits, &kEscapeThreshold, sizeof bits);
  for (std::uint64_t b = bits - 2'000'000; b <= bits + 2'000'000; ++b) {
    double q;
    std::memcpy(&q, &b, sizeof q);
    ASSERT_EQ(static_cast<float>(std::sqrt(q)) > 2.0f, q > kEscapeThreshold) << std::hexfloat << q;
  }
  for (const double q : {0.0, -1.0, HUGE_VAL, double{NAN}})
    EXPECT_EQ(static_cast<float>(std::sqrt(q)) > 2.0f, q > kEscapeThreshold) << q;
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

// Each kernel in the table is the one its name says, so that a path run by
// name runs its own instruction set.
TEST(EscapeKernels, EachNameRunsItsOwnKernel) {
  std::map<std::string, void (*)(std::uint8_t, std::uint8_t*)> own = {{"scalar", escapeScalar}};
#if defined(__x86_64__) || defined(_M_X64)
  own.insert({{"sse2", escapeSse2}, {"avx2", escapeAvx2}, {"avx512", escapeAvx512}});
#elif defined(__i386__) || defined(_M_IX86)
  own.insert({{"sse2", escapeSse2}});
#elif defined(__aarch64__) || defined(_M_ARM64)
  own.insert({{"neon", escapeNeon}});
#elif defined(__wasm__)
  own.insert({{"simd128", escapeSimd128}});
#endif
  ASSERT_EQ(escapeKernels().size(), own.size());
  for (const EscapeKernel& kernel : escapeKernels())
    EXPECT_EQ(kernel.run, own.at(kernel.name)) << kernel.name;
}

}  // namespace
