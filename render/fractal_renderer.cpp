#include "render/fractal_renderer.h"

#include <array>
#include <cstdint>

#include "fractal/escape_map.h"

namespace {

constexpr int kIterationLimit = 100;
constexpr double kShadeDivisor = 100.0;
constexpr double kFullShade = 255.0;

constexpr int shade(int steps) {
  // Truncated to a 16-bit integer, of which the low byte is the shade.
  const double value = kFullShade - steps / kShadeDivisor * kFullShade;
  return static_cast<std::uint8_t>(static_cast<std::int16_t>(value));
}

// Every escape step's grey, and black for the members, whose entry in the
// escape map is the iteration limit; worked out once by the compiler.
constexpr auto kColors = [] {
  std::array<COLORREF, kIterationLimit + 1> colors{};
  for (int steps = 0; steps < kIterationLimit; ++steps) {
    const auto level = static_cast<BYTE>(shade(steps));
    colors[steps] = RGB(level, level, level);
  }
  colors[kIterationLimit] = RGB(0, 0, 0);
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
  // The whole grid's escape steps first, in vector lanes; static, as it is
  // larger than a small stack should hold.
  static EscapeMap steps;
  escapeMap(kIterationLimit, steps);
  for (int y = 0; y < kGridSize; ++y) {
    for (int x = 0; x < kGridSize; ++x) {
      const COLORREF color = kColors[steps[y * kGridSize + x]];
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
