// picture_ppm: writes the picture, drawn off-screen, to standard output as a
// binary PPM, and the escape map kernel it ran to standard error.

#include <cstdio>

#include "fractal/escape_kernels.h"
#include "render/fractal_renderer.h"
#include "render/gdi/window_surface.h"

int main() {
  HWND__ window = makeOffscreenWindow(kGridSize, kGridSize, RGB(0, 0, 0));
  DrawFractal(&window);
  std::fprintf(stderr, "%s\n", bestEscapeKernel().name);
  std::printf("P6\n%d %d\n255\n", kGridSize, kGridSize);
  for (const Pixel pixel : window.pixels)
    std::printf("%c%c%c", pixel >> 16, (pixel >> 8) & 0xFF, pixel & 0xFF);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
