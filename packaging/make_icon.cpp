// mandelbrot-icon SIZE FILE.png: the program's icon, its own picture scaled
// down to SIZE x SIZE pixels. Runs at build time only.
// mandelbrot-icon --ico FILE.ico: the Windows icon, the same picture at 16, 32,
// 48 and 256 pixels in one file.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <png.h>

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

// Appends a little-endian 16- or 32-bit field, as .ico and .bmp files hold them.
void put16(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}
void put32(std::string& out, unsigned value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

// An icon image as Windows stores the small sizes: a 32-bit bitmap, rows from
// the bottom up, height doubled for the AND mask that follows it (all zero:
// every pixel opaque).
std::string bitmapImage(const HWND__& icon) {
  const int size = icon.width;
  const int maskRowBytes = (size + 31) / 32 * 4;
  std::string out;
  put32(out, 40);  // BITMAPINFOHEADER
  put32(out, size);
  put32(out, 2 * size);
  put16(out, 1);   // planes
  put16(out, 32);  // bits per pixel
  put32(out, 0);   // BI_RGB
  put32(out, size * size * 4 + maskRowBytes * size);
  for (int field = 0; field < 4; ++field)
    put32(out, 0);  // resolution and palette: unused
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x)
      put32(out, 0xFF000000u | icon.pixels[static_cast<std::size_t>(y) * size + x]);
  }
  out.append(static_cast<std::size_t>(maskRowBytes) * size, '\0');
  return out;
}

// The image as the bytes of a PNG file, the form Windows takes at 256 pixels.
// It must be 32-bit RGBA there, so every pixel gets an opaque alpha.
bool appendPng(const HWND__& icon, std::string& out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<png_byte> rgba(static_cast<std::size_t>(icon.width) * icon.height * 4);
  for (std::size_t i = 0; i < icon.pixels.size(); ++i) {
    for (int c = 0; c < 3; ++c)
      rgba[4 * i + c] = static_cast<png_byte>(icon.pixels[i] >> (16 - 8 * c));
    rgba[4 * i + 3] = 0xFF;
  }
  std::vector<png_bytep> rows(icon.height);
  for (int y = 0; y < icon.height; ++y)
    rows[y] = &rgba[static_cast<std::size_t>(y) * icon.width * 4];
  const bool ok = info != nullptr && setjmp(png_jmpbuf(png)) == 0;
  if (ok) {
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t length) {
          static_cast<std::string*>(png_get_io_ptr(p))
              ->append(reinterpret_cast<char*>(data), length);
        },
        nullptr);
    png_set_IHDR(png, info, icon.width, icon.height, 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  }
  png_destroy_write_struct(&png, &info);
  return ok;
}

// Writes the multi-size .ico; returns the reason it failed, or an empty string.
std::string writeIco(const HWND__& picture, const std::string& path) {
  constexpr int kSizes[] = {16, 32, 48, 256};
  constexpr int kCount = std::size(kSizes);
  std::string directory, images;
  put16(directory, 0);  // ICONDIR: reserved, type 1 (icon), count
  put16(directory, 1);
  put16(directory, kCount);
  for (const int size : kSizes) {
    const HWND__ icon = scaledDown(picture, size);
    std::string image;
    if (size < 256)
      image = bitmapImage(icon);
    else if (!appendPng(icon, image))
      return "libpng failed";
    directory += static_cast<char>(size & 0xFF);  // 0 stands for 256
    directory += static_cast<char>(size & 0xFF);
    put16(directory, 0);  // no palette, reserved
    put16(directory, 1);  // planes
    put16(directory, 32);
    put32(directory, image.size());
    put32(directory, 6 + 16 * kCount + images.size());
    images += image;
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << directory << images;
  file.close();
  return file ? "" : "write failed";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--ico") == 0) {
    HWND__ picture = makeOffscreenWindow(kGridSize, kGridSize, RGB(0, 0, 0));
    DrawFractal(&picture);
    const std::string reason = writeIco(picture, argv[2]);
    if (!reason.empty()) {
      std::fprintf(stderr, "mandelbrot-icon: cannot write '%s': %s\n", argv[2], reason.c_str());
      return 1;
    }
    return 0;
  }
  int size = 0;
  const char* end = argc == 3 ? argv[1] + std::strlen(argv[1]) : nullptr;
  if (argc != 3 || std::from_chars(argv[1], end, size).ptr != end || size < 1 || size > kGridSize) {
    std::fprintf(stderr,
                 "usage: mandelbrot-icon SIZE FILE.png  (SIZE from 1 to %d)\n"
                 "       mandelbrot-icon --ico FILE.ico\n",
                 kGridSize);
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
