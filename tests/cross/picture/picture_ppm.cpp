// picture_ppm: writes the picture, drawn off-screen, to standard output as a
// binary PPM, for comparison with the reference picture.

#include <cstdio>

#include "fractal/escape_test.h"
#include "render/fractal_renderer.h"
#include "render/gdi/window_surface.h"

int main() {
  HWND__ window = makeOffscreenWindow(kGridSize, kGridSize, RGB(0, 0, 0));
  DrawFractal(&window);
  std::printf("P6\n%d %d\n255\n", window.width, window.height);
  for (const Pixel pixel : window.pixels) {
    const unsigned char rgb[] = {static_cast<unsigned char>(pixel >> 16),
                                 static_cast<unsigned char>(pixel >> 8),
                                 static_cast<unsigned char>(pixel)};
    std::fwrite(rgb, 1, sizeof rgb, stdout);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
