#include "shell/windowing/stock_icon.h"

std::vector<std::uint32_t> stockApplicationIcon(int size) {
  constexpr std::uint32_t kClear = 0x00000000, kFrame = 0xFF303030, kTitle = 0xFF2F5F9F,
                          kBody = 0xFFFFFFFF;
  const int left = size / 16, right = size - 1 - size / 16;
  const int top = size / 8, bottom = size - 1 - size / 8;
  const int titleBottom = top + size / 5;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size, kClear);
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      const bool edge = x == left || x == right || y == top || y == bottom;
      pixels[static_cast<std::size_t>(y) * size + x] =
          edge ? kFrame : (y <= titleBottom ? kTitle : kBody);
    }
  }
  return pixels;
}
