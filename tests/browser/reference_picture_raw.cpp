// The golden picture for the tests in Node, which have no libpng: its pixels
// as raw RGB, converted by ImageMagick at build time and embedded.

#include <cstdio>

#include "fractal/escape_test.h"
#include "tests/reference_picture.h"

const std::vector<std::uint32_t>& referencePixels() {
  static const std::vector<std::uint32_t> pixels = [] {
    std::vector<std::uint32_t> rgb(kGridSize * kGridSize);
    std::FILE* file = std::fopen("/picture.rgb", "rb");
    for (std::uint32_t& pixel : rgb) {
      unsigned char c[3] = {};
      if (file != nullptr && std::fread(c, 1, 3, file) == 3) pixel = c[0] << 16 | c[1] << 8 | c[2];
    }
    if (file != nullptr) std::fclose(file);
    return rgb;
  }();
  return pixels;
}
