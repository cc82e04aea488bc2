#include "render/gdi/window_surface.h"

#include <algorithm>

HWND__ makeOffscreenWindow(int width, int height, COLORREF background) {
  HWND__ window;
  window.background = pixelOf(background);
  resizeClientArea(&window, width, height);
  return window;
}

void resizeClientArea(HWND window, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  std::vector<Pixel> pixels(static_cast<std::size_t>(width) * height, window->background);
  const int keptWidth = std::min(width, window->width);
  const int keptHeight = std::min(height, window->height);
  for (int y = 0; y < keptHeight; ++y) {
    const auto from = window->pixels.begin() + static_cast<std::ptrdiff_t>(y) * window->width;
    std::copy(from, from + keptWidth, pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
  }
  window->pixels = std::move(pixels);
  window->width = width;
  window->height = height;
}

COLORREF clientPixel(const HWND__& window, int x, int y) {
  return colorOf(window.pixels[static_cast<std::size_t>(y) * window.width + x]);
}
