// The golden picture's pixels as raw RGB, converted by ImageMagick at build
// time, so that the tests in Node need no libpng.

#include "tests/reference_picture.h"

#include <cstdio>

const std::vector<std::uint32_t>& referencePixels() {
  static const std::vector<std::uint32_t> pixels = [] {
    std::vector<std::uint32_t> rgb(554 * 554);
    std::FILE* file = std::fopen(REFERENCE_RGB, "rb");
    for (std::uint32_t& pixel : rgb) {
      unsigned char c[3] = {};
      if (file != nullptr && std::fread(c, 1, 3, file) == 3) pixel = c[0] << 16 | c[1] << 8 | c[2];
    }
    if (file != nullptr) std::fclose(file);
    return rgb;
  }();
  return pixels;
}
