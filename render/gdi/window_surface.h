#pragma once

// The drawing side of a window in the project's own layer: its client area as
// a buffer of pixels. The windowing layer puts such a window on a screen; on
// its own it is an off-screen window, which is all a snapshot needs.

#include <cstdint>
#include <vector>

#include "render/gdi/gdi.h"

// One pixel as 0x00RRGGBB, the layout of 24-bit true-colour X images and of
// Windows' 32-bit device-independent bitmaps.
using Pixel = std::uint32_t;

constexpr Pixel pixelOf(COLORREF color) {
  return (Pixel{GetRValue(color)} << 16) | (Pixel{GetGValue(color)} << 8) | GetBValue(color);
}
constexpr COLORREF colorOf(Pixel pixel) {
  return RGB(static_cast<BYTE>(pixel >> 16), static_cast<BYTE>(pixel >> 8),
             static_cast<BYTE>(pixel));
}

struct HWND__ {
  int width = 0;  // client area, in pixels
  int height = 0;
  std::vector<Pixel> pixels;  // row by row from the top-left corner
  Pixel background = 0;       // what a newly uncovered part shows
  // Shows the client area on a screen when a context is released; null for an
  // off-screen window.
  void (*present)(HWND window) = nullptr;
};

// An off-screen window whose client area is width x height, filled with the
// background colour. The caller owns it.
HWND__ makeOffscreenWindow(int width, int height, COLORREF background);

// Changes the client size, keeping what the old area showed at the same
// place and filling the newly uncovered part with the background.
void resizeClientArea(HWND window, int width, int height);

// The colour of a client pixel; the caller keeps x and y inside the area.
COLORREF clientPixel(const HWND__& window, int x, int y);
