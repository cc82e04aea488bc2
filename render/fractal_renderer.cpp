#include "render/fractal_renderer.h"

#include <cstdint>

#include "fractal/escape_test.h"

namespace {

constexpr int kIterationLimit = 100;
constexpr double kShadeDivisor = 100.0;
constexpr double kFullShade = 255.0;

}  // namespace

int shadeOf(int steps) {
  // Truncated to a 16-bit integer, of which the low byte is the shade.
  const double shade = kFullShade - steps / kShadeDivisor * kFullShade;
  return static_cast<std::uint8_t>(static_cast<std::int16_t>(shade));
}

void drawPoint(HDC dc, int x, int y) {
  // A line leaves out its end point, so this sets exactly (x, y).
  MoveToEx(dc, x, y, nullptr);
  LineTo(dc, x + 1, y + 1);
}

void DrawFractal(HWND hwnd) {
  HDC dc = GetDC(hwnd);
  int steps = 0;
  for (int y = 0; y < kGridSize; ++y) {
    for (int x = 0; x < kGridSize; ++x) {
      COLORREF color = RGB(0, 0, 0);
      if (isMandelbrot(x, y, kIterationLimit, &steps) == 0) {
        const auto shade = static_cast<BYTE>(shadeOf(steps));
        color = RGB(shade, shade, shade);
      }
      HPEN hpen = CreatePen(PS_SOLID, 1, color);
      // A pen is put out of the context before it is deleted, as GDI asks.
      HGDIOBJ original = SelectObject(dc, hpen);
      drawPoint(dc, x, y);
      SelectObject(dc, original);
      DeleteObject(hpen);
    }
  }
  ReleaseDC(hwnd, dc);
}
