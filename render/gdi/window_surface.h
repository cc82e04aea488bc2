#pragma once

// The drawing side of a window in the project's own layer: its client area as
// a buffer of pixels. The windowing layer puts such a window on a screen; on
// its own it is an off-screen window, which is all a snapshot needs.

#include <cstdint>
#include <vector>

#include "render/gdi/win32_types.h"

// One pixel as 0x00RRGGBB, the layout of 24-bit true-colour X images and of
// Windows' 32-bit device-independent bitmaps.
using Pixel = std::uint32_t;

// The two layouts are each other's bytes reversed, less the top one; a
// byte swap and a shift convert either way, in two instructions.
constexpr Pixel pixelOf(COLORREF color) {
  return __builtin_bswap32(color) >> 8;
}
constexpr COLORREF colorOf(Pixel pixel) {
  return __builtin_bswap32(pixel) >> 8;
}

// Pixels are kept only this far from the client area's top-left corner, so
// that a window of any size costs bounded memory. Drawing beyond is clipped as
// drawing outside the client area is; a screen shows the window's background
// there.
constexpr int kStoredLimit = 2048;

// No damage, kept inside out, so that widening it by a stored pixel takes
// only minimums and maximums, with no test for emptiness.
constexpr RECT kNoDamage = {kStoredLimit, kStoredLimit, 0, 0};

struct HWND__ {
  int width = 0;  // client area, in pixels
  int height = 0;
  int storedWidth = 0;  // the part of it held in `pixels`: at most kStoredLimit
  int storedHeight = 0;
  std::vector<Pixel> pixels;  // storedWidth per row, from the top-left corner
  Pixel background = 0;       // what a newly uncovered part shows
  // What the screen may not show yet: the bounding box of the pixels changed
  // since the last present and of the parts the window system lost. None is
  // kept as kNoDamage.
  RECT damage = kNoDamage;
  // Shows the client area on a screen when a context is released; null for an
  // off-screen window.
  void (*present)(HWND window) = nullptr;
  // The window system's own record of the window, kept by the backend that
  // shows it; null for an off-screen window.
  void* shown = nullptr;
};

// An off-screen window whose client area is width x height, filled with the
// background colour. The caller owns it.
HWND__ makeOffscreenWindow(int width, int height, COLORREF background);

// Changes the client size, keeping what the old area showed at the same
// place and filling the newly uncovered part with the background.
void resizeClientArea(HWND window, int width, int height);

// The colour of a client pixel; the caller keeps x and y inside the area.
COLORREF clientPixel(const HWND__& window, int x, int y);

// Adds an area to the damage, clipped to the stored pixels.
void addDamage(HWND window, const RECT& area);

// The damage clipped to the stored pixels, all zero when there is none; the
// window is left with none.
RECT takeDamage(HWND window);

// Whether r covers no pixel.
constexpr bool isEmpty(const RECT& r) {
  return r.left >= r.right || r.top >= r.bottom;
}

// The smallest rectangle covering both; an empty one adds nothing.
constexpr RECT unionOf(const RECT& a, const RECT& b) {
  if (isEmpty(a)) return b;
  if (isEmpty(b)) return a;
  return {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
          a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

// Marks the stored pixel (x, y) changed. Inline, as the drawing calls do it
// for every pixel whose value they change.
inline void markChanged(HWND window, LONG x, LONG y) {
  // Field by field: a whole new rectangle would be packed into a vector first.
  RECT& d = window->damage;
  d.left = x < d.left ? x : d.left;
  d.top = y < d.top ? y : d.top;
  d.right = x >= d.right ? x + 1 : d.right;
  d.bottom = y >= d.bottom ? y + 1 : d.bottom;
}
