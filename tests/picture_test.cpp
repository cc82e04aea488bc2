// The renderer over the project's own drawing layer, and what the layer
// guarantees: clipping, damage, handles.

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fractal/escape_test.h"
#include "render/fractal_renderer.h"
#include "tests/reference_picture.h"

namespace {

constexpr COLORREF kUntouched = RGB(1, 2, 3);

// The reference where the two overlap; kUntouched elsewhere.
void expectPicture(const HWND__& window) {
  for (int y = 0; y < window.height; ++y) {
    for (int x = 0; x < window.width; ++x) {
      const bool grid = x < kGridSize && y < kGridSize;
      ASSERT_EQ(clientPixel(window, x, y),
                grid ? colorOf(referencePixels()[y * kGridSize + x]) : kUntouched)
          << x << "," << y;
    }
  }
}

bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(DrawFractal, ExactClippedAndDamagingOnlyWhatChanged) {
  for (const int size : {kGridSize, 301, 600}) {
    HWND__ window = makeOffscreenWindow(size, size + 50, kUntouched);
    DrawFractal(&window);
    expectPicture(window);
    EXPECT_TRUE(takeDamage(&window) == (RECT{0, 0, std::min(size, 554), std::min(size + 50, 554)}));
    DrawFractal(&window);
    EXPECT_TRUE(takeDamage(&window) == (RECT{0, 0, 0, 0})) << "nothing changed";
  }
}

TEST(DrawFractal, LeavesNoPenBehindAndOutOfPensStillDrawsEveryColour) {
  HWND__ window = makeOffscreenWindow(kGridSize, kGridSize, kUntouched);
  DrawFractal(&window);
  std::vector<HPEN> taken;
  while (HPEN pen = CreatePen(PS_SOLID, 1, RGB(9, 9, 9)))
    taken.push_back(pen);
  EXPECT_EQ(taken.size(), 1022u) << "every pen but the two stock ones";
  window = makeOffscreenWindow(kGridSize, kGridSize, kUntouched);
  DrawFractal(&window);
  expectPicture(window);
  for (HPEN pen : taken)
    EXPECT_TRUE(DeleteObject(pen));
}

// A line in a new context's black pen, whatever was drawn before, leaves out
// its end point and sets, within the area, what the whole line sets,
// whichever axis is the longer; a pixel just outside does not wrap.
TEST(Lines, EndPointLeftOutAndClipped) {
  HWND__ window = makeOffscreenWindow(6, 6, kUntouched);
  HDC dc = GetDC(&window);
  SetDCPenColor(dc, RGB(9, 9, 9));  // not the pen selected
  for (const POINT end : {POINT{5, 2}, POINT{2, 5}}) {
    MoveToEx(dc, -1, -1, nullptr);
    LineTo(dc, end.x, end.y);  // (-1,-1) (0,0) (1,0) (2,1) (3,1) (4,2) and not (5,2)
  }
  for (const POINT p : {POINT{6, 4}, POINT{-1, 5}}) {
    MoveToEx(dc, p.x, p.y, nullptr);
    LineTo(dc, p.x + 1, p.y + 1);
  }
  MoveToEx(dc, 3, 5, nullptr);
  LineTo(dc, 9, 5);  // long along one axis alone
  ReleaseDC(&window, dc);
  std::string drawn;
  for (int i = 0; i < 36; ++i)
    drawn += clientPixel(window, i % 6, i / 6) == RGB(0, 0, 0) ? '#' : '.';
  EXPECT_EQ(drawn,
            "##...."
            "#.##.."
            ".#..#."
            ".#...."
            "..#..."
            "...###");
  addDamage(&window, {-5, 3, 3000, 100});  // what the screen lost, clipped
  EXPECT_TRUE(takeDamage(&window) == (RECT{0, 0, 6, 6}));
}

TEST(Handles, StaleSelectedAndForeignHandlesAreRefusedStockPensKept) {
  HWND__ window = makeOffscreenWindow(4, 4, kUntouched), other = window;
  HDC dc = GetDC(&window), second = GetDC(&window);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(9, 9, 9));
  const HGDIOBJ stock = SelectObject(dc, pen);
  SelectObject(second, pen);
  EXPECT_EQ(SelectObject(second, stock), pen);
  EXPECT_FALSE(DeleteObject(pen));  // still selected in dc
  EXPECT_EQ(SelectObject(dc, stock), pen);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_EQ(SelectObject(dc, pen), nullptr);
  EXPECT_TRUE(DeleteObject(GetStockObject(DC_PEN)));
  EXPECT_EQ(SelectObject(dc, GetStockObject(DC_PEN)), stock) << "a stock pen was deleted";
  EXPECT_EQ(ReleaseDC(&other, dc), 0);
  EXPECT_EQ(ReleaseDC(&window, dc), 1);
  EXPECT_FALSE(MoveToEx(dc, 0, 0, nullptr));
  const HPEN held = CreatePen(PS_SOLID, 1, RGB(1, 1, 1));
  SelectObject(second, held);
  ReleaseDC(&window, second);
  EXPECT_TRUE(DeleteObject(held)) << "a released context holds no pen";
  std::vector<HPEN> all;  // held's slot is given out again among these
  while (HPEN next = CreatePen(PS_SOLID, 1, 0))
    all.push_back(next);
  EXPECT_FALSE(DeleteObject(held)) << "a handle stays stale when its slot is reused";
  for (HPEN next : all)
    DeleteObject(next);
}

}  // namespace
