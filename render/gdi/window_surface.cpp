#include "render/gdi/window_surface.h"

#include <algorithm>

HWND__ makeOffscreenWindow(int width, int height, COLORREF background) {
  HWND__ window;
  window.background = pixelOf(background);
  resizeClientArea(&window, width, height);
  return window;
}

void resizeClientArea(HWND window, int width, int height) {
  window->width = std::max(width, 0);
  window->height = std::max(height, 0);
  const int storedWidth = std::min(window->width, kStoredLimit);
  const int storedHeight = std::min(window->height, kStoredLimit);
  if (storedWidth != window->storedWidth || storedHeight != window->storedHeight) {
    std::vector<Pixel> pixels(static_cast<std::size_t>(storedWidth) * storedHeight,
                              window->background);
    const int keptWidth = std::min(storedWidth, window->storedWidth);
    const int keptHeight = std::min(storedHeight, window->storedHeight);
    for (int y = 0; y < keptHeight; ++y) {
      const auto from =
          window->pixels.begin() + static_cast<std::ptrdiff_t>(y) * window->storedWidth;
      std::copy(from, from + keptWidth,
                pixels.begin() + static_cast<std::ptrdiff_t>(y) * storedWidth);
    }
    window->pixels = std::move(pixels);
    window->storedWidth = storedWidth;
    window->storedHeight = storedHeight;
  }
  addDamage(window, {0, 0, 0, 0});  // clips what was damaged beyond the new edges
}

COLORREF clientPixel(const HWND__& window, int x, int y) {
  if (x >= window.storedWidth || y >= window.storedHeight) return colorOf(window.background);
  return colorOf(window.pixels[static_cast<std::size_t>(y) * window.storedWidth + x]);
}

void addDamage(HWND window, const RECT& area) {
  const RECT d = unionOf(window->damage, area);
  window->damage = {std::max(d.left, LONG{0}), std::max(d.top, LONG{0}),
                    std::min(d.right, LONG{window->storedWidth}),
                    std::min(d.bottom, LONG{window->storedHeight})};
  if (isEmpty(window->damage)) window->damage = kNoDamage;
}

RECT takeDamage(HWND window) {
  const RECT damage = window->damage;
  window->damage = kNoDamage;
  return isEmpty(damage) ? RECT{0, 0, 0, 0} : damage;
}
