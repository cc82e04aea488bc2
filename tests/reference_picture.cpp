#include "tests/reference_picture.h"

#include "fractal/escape_test.h"

const std::vector<COLORREF>& referencePicture() {
  static const std::vector<COLORREF> picture = [] {
    std::vector<COLORREF> colors;
    for (int y = 0; y < kGridSize; ++y) {
      for (int x = 0; x < kGridSize; ++x) {
        int steps = -1;
        const int shade = isMandelbrot(x, y, 100, &steps) ? 0 : 255 * (100 - steps) / 100;
        const auto level = static_cast<BYTE>(shade);
        colors.push_back(RGB(level, level, level));
      }
    }
    return colors;
  }();
  return picture;
}

const std::vector<std::uint32_t>& referencePixels() {
  static const std::vector<std::uint32_t> pixels = [] {
    std::vector<std::uint32_t> rgb;
    for (const COLORREF color : referencePicture()) {
      rgb.push_back(std::uint32_t{GetRValue(color)} << 16 | std::uint32_t{GetGValue(color)} << 8 |
                    GetBValue(color));
    }
    return rgb;
  }();
  return pixels;
}
