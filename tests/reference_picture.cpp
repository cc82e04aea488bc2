#include "tests/reference_picture.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>

const std::vector<std::uint32_t>& referencePixels() {
  static const std::vector<std::uint32_t> pixels = [] {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    std::vector<std::uint32_t> bgra;
    if (png_image_begin_read_from_file(&image, REFERENCE_PNG) != 0) {
      image.format = PNG_FORMAT_BGRA;  // one little-endian 0xAARRGGBB word a pixel
      bgra.resize(PNG_IMAGE_SIZE(image) / 4);
      png_image_finish_read(&image, nullptr, bgra.data(), 0, nullptr);
    }
    if (image.warning_or_error > 1 || image.width != 554 || image.height != 554) {
      std::fprintf(stderr, "cannot read the reference picture %s\n", REFERENCE_PNG);
      std::abort();
    }
    for (std::uint32_t& pixel : bgra)
      pixel &= 0xFFFFFF;
    return bgra;
  }();
  return pixels;
}
