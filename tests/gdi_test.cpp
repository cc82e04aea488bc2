#include <algorithm>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "render/gdi/gdi.h"
#include "render/gdi/window_surface.h"

namespace {

constexpr COLORREF kBackground = RGB(10, 20, 30);
constexpr COLORREF kInk = RGB(200, 100, 50);

// Draws one line in kInk on a fresh window and returns it.
HWND__ lineOn(int width, int height, int x0, int y0, int x1, int y1) {
  HWND__ window = makeOffscreenWindow(width, height, kBackground);
  HDC dc = GetDC(&window);
  HPEN pen = CreatePen(PS_SOLID, 1, kInk);
  HGDIOBJ original = SelectObject(dc, pen);
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
  SelectObject(dc, original);
  DeleteObject(pen);
  ReleaseDC(&window, dc);
  return window;
}

std::vector<POINT> inked(const HWND__& window) {
  std::vector<POINT> points;
  for (int y = 0; y < window.height; ++y) {
    for (int x = 0; x < window.width; ++x) {
      if (clientPixel(window, x, y) == kInk) points.push_back({x, y});
    }
  }
  return points;
}

TEST(Pens, ColourKeepsRedAndBlueApart) {
  HWND__ window = lineOn(4, 4, 1, 1, 2, 2);
  EXPECT_EQ(clientPixel(window, 1, 1), kInk);
  EXPECT_EQ(window.pixels[1 * 4 + 1], 0x00C86432u);  // 0x00RRGGBB in the buffer
}

TEST(Pens, NewContextDrawsWithTheStockBlackPen) {
  HWND__ window = makeOffscreenWindow(4, 4, kBackground);
  HDC dc = GetDC(&window);
  MoveToEx(dc, 2, 0, nullptr);
  LineTo(dc, 2, 3);
  ReleaseDC(&window, dc);
  EXPECT_EQ(clientPixel(window, 2, 1), RGB(0, 0, 0));
}

TEST(Pens, StaleAndUnknownHandlesAreRefused) {
  HPEN pen = CreatePen(PS_SOLID, 1, kInk);
  ASSERT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(pen));
  // The slot is reused by the next pen, which the old handle must not reach.
  HPEN next = CreatePen(PS_SOLID, 1, kInk);
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(next));
  int local = 0;
  EXPECT_FALSE(DeleteObject(nullptr));
  EXPECT_FALSE(DeleteObject(&local));
  EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(0xB0001FFFu)));
  HWND__ window = makeOffscreenWindow(2, 2, kBackground);
  HDC dc = GetDC(&window);
  EXPECT_EQ(SelectObject(dc, pen), nullptr);
  EXPECT_EQ(SelectObject(dc, &local), nullptr);
  ReleaseDC(&window, dc);
}

TEST(Pens, SelectReturnsThePreviousPen) {
  HWND__ window = makeOffscreenWindow(2, 2, kBackground);
  HDC dc = GetDC(&window);
  HPEN first = CreatePen(PS_SOLID, 1, kInk);
  HPEN second = CreatePen(PS_SOLID, 1, kBackground);
  HGDIOBJ stock = SelectObject(dc, first);
  EXPECT_NE(stock, nullptr);
  EXPECT_EQ(SelectObject(dc, second), first);
  EXPECT_EQ(SelectObject(dc, stock), second);
  EXPECT_TRUE(DeleteObject(first));
  EXPECT_TRUE(DeleteObject(second));
  EXPECT_TRUE(DeleteObject(stock));  // stock objects are left alone
  EXPECT_NE(SelectObject(dc, stock), nullptr);
  ReleaseDC(&window, dc);
}

TEST(Pens, ASelectedPenCannotBeDeleted) {
  HWND__ window = makeOffscreenWindow(4, 1, kBackground);
  HDC dc = GetDC(&window);
  HPEN pen = CreatePen(PS_SOLID, 1, kInk);
  HGDIOBJ original = SelectObject(dc, pen);
  EXPECT_FALSE(DeleteObject(pen));
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 2, 0);  // the pen still draws
  EXPECT_EQ(clientPixel(window, 1, 0), kInk);
  SelectObject(dc, original);
  EXPECT_TRUE(DeleteObject(pen));
  // Releasing a context lets go of its pen too.
  HDC other = GetDC(&window);
  HPEN kept = CreatePen(PS_SOLID, 1, kInk);
  SelectObject(other, kept);
  ReleaseDC(&window, other);
  EXPECT_TRUE(DeleteObject(kept));
  ReleaseDC(&window, dc);
}

TEST(Pens, CreatingAndDeletingNeverRunsOut) {
  for (int i = 0; i < 100000; ++i) {
    HPEN pen = CreatePen(PS_SOLID, 1, kInk);
    ASSERT_NE(pen, nullptr) << "pen " << i;
    ASSERT_TRUE(DeleteObject(pen));
  }
}

TEST(Contexts, ReleasedOrForeignContextsAreRefused) {
  HWND__ window = makeOffscreenWindow(2, 2, kBackground);
  HWND__ other = makeOffscreenWindow(2, 2, kBackground);
  EXPECT_EQ(GetDC(nullptr), nullptr);
  HDC dc = GetDC(&window);
  EXPECT_EQ(ReleaseDC(&other, dc), 0);
  EXPECT_EQ(ReleaseDC(&window, dc), 1);
  EXPECT_EQ(ReleaseDC(&window, dc), 0);
  EXPECT_FALSE(MoveToEx(dc, 0, 0, nullptr));
  EXPECT_FALSE(LineTo(dc, 1, 1));
  int local = 0;
  EXPECT_FALSE(LineTo(reinterpret_cast<HDC>(&local), 1, 1));
}

TEST(Contexts, ALimitedNumberAtOnce) {
  HWND__ window = makeOffscreenWindow(2, 2, kBackground);
  std::vector<HDC> held;
  while (HDC dc = GetDC(&window)) {
    held.push_back(dc);
    ASSERT_LT(held.size(), 1000u);
  }
  EXPECT_GE(held.size(), 2u);
  for (HDC dc : held)
    EXPECT_EQ(ReleaseDC(&window, dc), 1);
  HDC again = GetDC(&window);
  EXPECT_NE(again, nullptr);
  ReleaseDC(&window, again);
}

TEST(Lines, EveryDirectionLeavesOutTheEndPoint) {
  struct Case {
    int x0, y0, x1, y1;
    std::vector<POINT> expected;
  };
  const Case cases[] = {
      {1, 1, 2, 2, {{1, 1}}},                          // one pixel
      {1, 2, 5, 2, {{1, 2}, {2, 2}, {3, 2}, {4, 2}}},  // right
      {5, 2, 1, 2, {{2, 2}, {3, 2}, {4, 2}, {5, 2}}},  // left
      {3, 0, 3, 3, {{3, 0}, {3, 1}, {3, 2}}},          // down
      {3, 3, 3, 0, {{3, 1}, {3, 2}, {3, 3}}},          // up
      {0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}}},          // diagonal
      {3, 3, 0, 6, {{3, 3}, {2, 4}, {1, 5}}},          // anti-diagonal
      {0, 0, 4, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}},  // shallow
      {0, 0, 1, 3, {{0, 0}, {0, 1}, {1, 2}}},          // steep
      {2, 2, 2, 2, {}},                                // empty
  };
  for (const Case& c : cases) {
    const std::vector<POINT> got = inked(lineOn(8, 8, c.x0, c.y0, c.x1, c.y1));
    ASSERT_EQ(got.size(), c.expected.size())
        << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
    for (const POINT& p : c.expected) {
      EXPECT_TRUE(
          std::any_of(got.begin(), got.end(), [&](POINT q) { return q.x == p.x && q.y == p.y; }))
          << p.x << "," << p.y << " missing from " << c.x0 << "," << c.y0 << " to " << c.x1 << ","
          << c.y1;
    }
  }
}

// A clipped line sets exactly the pixels the same line sets on a larger area
// that holds it whole, wherever the two overlap.
TEST(Lines, ClippingMatchesTheUnclippedLine) {
  std::mt19937 random(42);
  std::uniform_int_distribution<int> coordinate(-40, 60);
  constexpr int kMargin = 50;
  for (int n = 0; n < 3000; ++n) {
    const int x0 = coordinate(random), y0 = coordinate(random);
    const int x1 = coordinate(random), y1 = coordinate(random);
    const HWND__ clipped = lineOn(20, 12, x0, y0, x1, y1);
    const HWND__ whole = lineOn(120, 120, x0 + kMargin, y0 + kMargin, x1 + kMargin, y1 + kMargin);
    for (int y = 0; y < clipped.height; ++y) {
      for (int x = 0; x < clipped.width; ++x) {
        ASSERT_EQ(clientPixel(clipped, x, y), clientPixel(whole, x + kMargin, y + kMargin))
            << "line " << x0 << "," << y0 << " to " << x1 << "," << y1 << " at " << x << "," << y;
      }
    }
  }
}

TEST(Lines, FarOutsideCostsNothingAndHugeCoordinatesAreRefused) {
  HWND__ window = makeOffscreenWindow(10, 10, kBackground);
  HDC dc = GetDC(&window);
  MoveToEx(dc, -100000000, 5, nullptr);
  EXPECT_TRUE(LineTo(dc, 100000000, 5));  // crosses the area: 10 pixels set
  MoveToEx(dc, -100000000, -100000000, nullptr);
  EXPECT_TRUE(LineTo(dc, -90000000, 100000000));  // passes by
  MoveToEx(dc, 0, 0, nullptr);
  EXPECT_FALSE(LineTo(dc, 1 << 30, 0));
  ReleaseDC(&window, dc);
  const std::vector<POINT> black = [&] {
    std::vector<POINT> points;
    for (int x = 0; x < 10; ++x)
      if (clientPixel(window, x, 5) == RGB(0, 0, 0)) points.push_back({x, 5});
    return points;
  }();
  EXPECT_EQ(black.size(), 10u);
}

TEST(WindowSurface, ReleaseShowsTheWindowOnce) {
  static int presents = 0;
  static COLORREF shown = 0;
  HWND__ window = makeOffscreenWindow(10, 10, kBackground);
  window.present = [](HWND w) {
    ++presents;
    shown = clientPixel(*w, 3, 6);
  };
  HDC dc = GetDC(&window);
  MoveToEx(dc, 2, 7, nullptr);
  LineTo(dc, 5, 4);
  EXPECT_EQ(presents, 0);
  ReleaseDC(&window, dc);
  EXPECT_EQ(presents, 1);
  EXPECT_EQ(shown, RGB(0, 0, 0));
  EXPECT_EQ(ReleaseDC(&window, dc), 0);
  EXPECT_EQ(presents, 1);
}

TEST(WindowSurface, ResizeKeepsThePictureAndFillsTheRest) {
  HWND__ window = lineOn(4, 4, 0, 0, 4, 4);
  resizeClientArea(&window, 6, 3);
  EXPECT_EQ(clientPixel(window, 2, 2), kInk);
  EXPECT_EQ(clientPixel(window, 5, 0), kBackground);
  resizeClientArea(&window, 6, 6);
  EXPECT_EQ(clientPixel(window, 3, 3), kBackground);  // cut off by the shrink
  EXPECT_EQ(clientPixel(window, 1, 1), kInk);
}

}  // namespace
