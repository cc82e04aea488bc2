// mandelbrot-icon SIZE FILE.png: the program's icon, its own picture scaled
// down to SIZE x SIZE pixels. Runs at build time only.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "fractal/escape_test.h"
#include "render/fractal_renderer.h"
#include "tools/png_file.h"

namespace {

// How much of source pixel s lies under target pixel t along one axis, as a
// fraction of a source pixel, when a target pixel spans `scale` source pixels.
double overlap(int t, int s, double scale) {
  const double from = std::max(t * scale, static_cast<double>(s));
  const double to = std::min((t + 1) * scale, s + 1.0);
  return std::max(0.0, to - from);
}

// Every icon pixel is the mean of the picture under it, with the pixels cut
// by its edges weighted by the part they cover. Sampling would instead drop
// the set's thin filaments or alias them into speckle; averaging keeps them
// as the grey they are at a distance.
HWND__ scaledDown(const HWND__& picture, int size) {
  const double scale = static_cast<double>(picture.width) / size;
  HWND__ icon = makeOffscreenWindow(size, size, RGB(0, 0, 0));
  for (int y = 0; y < size; ++y) {
    const int top = static_cast<int>(y * scale);
    const int bottom = std::min(picture.height, static_cast<int>(std::ceil((y + 1) * scale)));
    for (int x = 0; x < size; ++x) {
      const int left = static_cast<int>(x * scale);
      const int right = std::min(picture.width, static_cast<int>(std::ceil((x + 1) * scale)));
      double sum[3] = {};
      for (int sy = top; sy < bottom; ++sy) {
        for (int sx = left; sx < right; ++sx) {
          const double weight = overlap(y, sy, scale) * overlap(x, sx, scale);
          const Pixel pixel = picture.pixels[static_cast<std::size_t>(sy) * picture.width + sx];
          for (int c = 0; c < 3; ++c)
            sum[c] += weight * ((pixel >> (16 - 8 * c)) & 0xFF);
        }
      }
      Pixel mean = 0;
      for (int c = 0; c < 3; ++c) {
        mean |= static_cast<Pixel>(std::lround(sum[c] / (scale * scale))) << (16 - 8 * c);
      }
      icon.pixels[static_cast<std::size_t>(y) * size + x] = mean;
    }
  }
  return icon;
}

}  // namespace

int main(int argc, char** argv) {
  int size = 0;
  const char* end = argc == 3 ? argv[1] + std::strlen(argv[1]) : nullptr;
  if (argc != 3 || std::from_chars(argv[1], end, size).ptr != end || size < 1 || size > kGridSize) {
    std::fprintf(stderr, "usage: mandelbrot-icon SIZE FILE.png  (SIZE from 1 to %d)\n", kGridSize);
    return 2;
  }
  HWND__ picture = makeOffscreenWindow(kGridSize, kGridSize, RGB(0, 0, 0));
  DrawFractal(&picture);
  const std::string reason = writePng(scaledDown(picture, size), argv[2]);
  if (!reason.empty()) {
    std::fprintf(stderr, "mandelbrot-icon: cannot write '%s': %s\n", argv[2], reason.c_str());
    return 1;
  }
  return 0;
}
