#include "render/fractal_renderer.h"

#include <array>
#include <cstdint>

#include "fractal/escape_test.h"

namespace {

constexpr int kIterationLimit = 100;
constexpr double kShadeDivisor = 100.0;
constexpr double kFullShade = 255.0;

constexpr int shade(int steps) {
  // Truncated to a 16-bit integer, of which the low byte is the shade.
  const double value = kFullShade - steps / kShadeDivisor * kFullShade;
  return static_cast<std::uint8_t>(static_cast<std::int16_t>(value));
}

// Every escape step's grey, worked out once by the compiler.
constexpr auto kShades = [] {
  std::array<COLORREF, kIterationLimit> colors{};
  for (int steps = 0; steps < kIterationLimit; ++steps) {
    const auto level = static_cast<BYTE>(shade(steps));
    colors[steps] = RGB(level, level, level);
  }
  return colors;
}();

}  // namespace

void drawPoint(HDC dc, int x, int y) {
  // A line leaves out its end point, so this sets exactly (x, y).
  MoveToEx(dc, x, y, nullptr);
  LineTo(dc, x + 1, y + 1);
}

void DrawFractal(HWND hwnd) {
  HDC dc = GetDC(hwnd);
  if (dc == nullptr) return;  // nowhere to draw: the next paint tries again
  int steps = 0;
  for (int y = 0; y < kGridSize; ++y) {
    for (int x = 0; x < kGridSize; ++x) {
      COLORREF color = RGB(0, 0, 0);
      if (isMandelbrot(x, y, kIterationLimit, &steps) == 0) color = kShades[steps];
      HPEN hpen = CreatePen(PS_SOLID, 1, color);
      HGDIOBJ pen = hpen;
      if (hpen == nullptr) {
        // Out of pens: the context's own pen takes any colour without one.
        pen = GetStockObject(DC_PEN);
        SetDCPenColor(dc, color);
      }
      // A pen is put out of the context before it is deleted, as GDI asks.
      HGDIOBJ original = SelectObject(dc, pen);
      drawPoint(dc, x, y);
      SelectObject(dc, original);
      DeleteObject(hpen);
    }
  }
  ReleaseDC(hwnd, dc);
}
