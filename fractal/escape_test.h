#pragma once

#include "fractal/complex.h"

// The picture is a fixed 554 x 554 grid of pixels.
constexpr int kGridSize = 554;

// The point of the complex plane under pixel (x, y). The plane's origin lies
// on pixel (337, 257); the real part grows to the right and the imaginary part
// downwards, 0.007 units per pixel.
Complex planePoint(int x, int y);

// Decides whether the plane point under pixel (x, y) belongs to the Mandelbrot
// set, judged by at most k iterations of z <- z*z + c from z = 0.
// Returns 1 for a member and leaves *steps alone. Returns 0 for a point that
// escapes, with *steps set to the 0-based iteration whose new iterate first
// had a modulus greater than 2.
int isMandelbrot(int x, int y, int k, int* steps);
