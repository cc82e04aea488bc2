#pragma once

#include <cmath>

// A complex number in single precision. The natural name `compl` is an
// alternative token for `~` in C++, so the record is called Complex; its
// operations keep the compl_ prefix.
struct Complex {
  float re;
  float im;
};

// The operations below work in double precision and round to float only where
// a component is stored. Each product of two floats is exact in double (24 + 24
// significant bits fit in 53), so the only roundings are the ones that decide
// the picture: the stored components and the square root's argument. Rounding
// every step to float instead would move dozens of pixels of the picture.
// They are inline because the escape test calls them for every iteration.

inline Complex compl_sqr(Complex z) {
  Complex r;
  r.re = static_cast<float>(double{z.re} * z.re - double{z.im} * z.im);
  r.im = static_cast<float>((double{z.im} + z.im) * z.re);
  return r;
}

// A float sum formed exactly and rounded once is the plain float sum.
inline Complex compl_sum(Complex a, Complex b) {
  Complex r;
  r.re = a.re + b.re;
  r.im = a.im + b.im;
  return r;
}

// The modulus, with the sum of squares rounded to double for the square root.
inline float compl_abs(Complex z) {
  const double q = double{z.re} * z.re + double{z.im} * z.im;
  return static_cast<float>(std::sqrt(q));
}
