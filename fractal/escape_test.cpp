#include "fractal/escape_test.h"

namespace {

// The plane origin sits 60 pixels right of and 20 pixels above the grid's
// centre; one pixel is 0.007 plane units on both axes.
constexpr double kHalfGrid = 277.0;
constexpr double kShiftRight = 60.0;
constexpr double kShiftUp = 20.0;
constexpr double kUnitsPerPixel = 0.007;
constexpr float kEscapeRadius = 2.0f;

}  // namespace

Complex planePoint(int x, int y) {
  // The product is rounded to double before it is stored as a float. For
  // every pixel within 100,000 of the grid that gives the same float as
  // rounding the exact product once; the tests hold it to that.
  Complex c;
  c.re = static_cast<float>((x - kHalfGrid - kShiftRight) * kUnitsPerPixel);
  c.im = static_cast<float>((y - kHalfGrid + kShiftUp) * kUnitsPerPixel);
  return c;
}

int isMandelbrot(int x, int y, int k, int* steps) {
  const Complex c = planePoint(x, y);

  Complex z = {0.0f, 0.0f};
  for (int i = 0; i < k; ++i) {
    const Complex z1 = compl_sum(compl_sqr(z), c);
    const float s = compl_abs(z1);
    // A modulus that rounds to exactly 2 stays in.
    if (s > kEscapeRadius) {
      *steps = i;
      return 0;
    }
    z = z1;
  }
  return 1;
}
