// The renderer over the project's own drawing layer, and the layer's lines
// and handles.

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "fractal/escape_test.h"
#include "render/fractal_renderer.h"
#include "render/gdi/window_surface.h"
#include "tests/reference_picture.h"

// Counts heap allocations, to show that drawing allocates nothing.
static std::atomic<long> allocations{0};
void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

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

TEST(DrawFractal, ExactEveryTimeClippedToTheAreaWithoutAllocating) {
  HWND__ window = makeOffscreenWindow(kGridSize, kGridSize, kUntouched);
  const long before = allocations;
  DrawFractal(&window);
  EXPECT_EQ(allocations - before, 0);
  expectPicture(window);
  window = makeOffscreenWindow(kGridSize, kGridSize, RGB(9, 9, 9));  // every pixel is redrawn
  DrawFractal(&window);
  for (const HWND__& area :
       {makeOffscreenWindow(300, 200, kUntouched), makeOffscreenWindow(600, 650, kUntouched)}) {
    HWND__ copy = area;
    DrawFractal(&copy);
    expectPicture(copy);
  }
}

TEST(DrawFractal, LeavesNoPenBehindAndOutOfPensStillDrawsEveryColour) {
  HWND__ window = makeOffscreenWindow(kGridSize, kGridSize, kUntouched);
  DrawFractal(&window);
  std::vector<HPEN> taken;
  while (HPEN pen = CreatePen(PS_SOLID, 1, RGB(9, 9, 9)))
    taken.push_back(pen);
  EXPECT_GT(taken.size(), 1000u) << "the picture left pens behind";
  window = makeOffscreenWindow(kGridSize, kGridSize, kUntouched);
  DrawFractal(&window);
  expectPicture(window);
  for (HPEN pen : taken)
    DeleteObject(pen);
}

constexpr COLORREF kInk = RGB(200, 100, 50);

HWND__ lineOn(int width, int height, int x0, int y0, int x1, int y1) {
  HWND__ window = makeOffscreenWindow(width, height, kUntouched);
  HDC dc = GetDC(&window);
  SelectObject(dc, GetStockObject(DC_PEN));
  SetDCPenColor(dc, kInk);
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
  ReleaseDC(&window, dc);
  return window;
}

// Every direction: pixel i of n = max(|dx|, |dy|) lies i steps along the
// longer axis and i * a / n rounded along the shorter; the end is left out.
// A clipped line sets what the same line sets where it is whole.
TEST(Lines, EveryDirectionEndPointLeftOutClippedAsWhole) {
  std::mt19937 random(42);
  std::uniform_int_distribution<int> coordinate(-30, 50);
  constexpr int kMargin = 40;
  for (int n = 0; n < 2000; ++n) {
    const int x0 = coordinate(random), y0 = coordinate(random);
    const int x1 = coordinate(random), y1 = coordinate(random);
    const HWND__ clipped = lineOn(20, 12, x0, y0, x1, y1);
    HWND__ whole = makeOffscreenWindow(120, 120, kUntouched);
    const int dx = x1 - x0, dy = y1 - y0, major = std::max(std::abs(dx), std::abs(dy));
    for (int i = 0; i < major; ++i) {
      const auto along = [&](int d) {
        const int a = std::abs(d), offset = (2 * i * a + major) / (2 * major);
        return (std::abs(d) == major ? i : offset) * (d < 0 ? -1 : 1);
      };
      whole.pixels[(y0 + kMargin + along(dy)) * 120 + x0 + kMargin + along(dx)] = pixelOf(kInk);
    }
    for (int y = 0; y < clipped.height; ++y) {
      for (int x = 0; x < clipped.width; ++x) {
        ASSERT_EQ(clientPixel(clipped, x, y), clientPixel(whole, x + kMargin, y + kMargin))
            << x0 << "," << y0 << " to " << x1 << "," << y1 << " at " << x << "," << y;
      }
    }
  }
  HWND__ window = makeOffscreenWindow(10, 10, kUntouched);
  HDC dc = GetDC(&window);
  MoveToEx(dc, -100000000, 5, nullptr);
  EXPECT_TRUE(LineTo(dc, 100000000, 5));  // far-reaching, yet only ten pixels to set
  EXPECT_FALSE(LineTo(dc, 1 << 30, 0));   // beyond what coordinates may be
  for (const POINT p : {POINT{10, 2}, POINT{2, 10}, POINT{-1, 2}}) {  // pixels just outside
    MoveToEx(dc, p.x, p.y, nullptr);
    LineTo(dc, p.x + 1, p.y + 1);
  }
  ReleaseDC(&window, dc);
  for (int i = 0; i < 100; ++i)
    EXPECT_EQ(clientPixel(window, i % 10, i / 10), i / 10 == 5 ? RGB(0, 0, 0) : kUntouched) << i;
}

// A screen is sent the box of the pixels that changed and what it lost; a
// window keeps pixels near its corner only, and gains them as it grows.
TEST(Surface, DamageStorageAndGrowth) {
  HWND__ window = makeOffscreenWindow(40, 30, kUntouched);
  takeDamage(&window);
  HDC dc = GetDC(&window);
  for (int again = 0; again < 2; ++again) {
    MoveToEx(dc, 5, 6, nullptr);
    LineTo(dc, 6, 7);
    MoveToEx(dc, 30, 20, nullptr);
    LineTo(dc, 20, 25);
    const RECT d = takeDamage(&window), expected = again ? RECT{0, 0, 0, 0} : RECT{5, 6, 31, 26};
    EXPECT_TRUE(d.left == expected.left && d.top == expected.top && d.right == expected.right &&
                d.bottom == expected.bottom)
        << d.left << "," << d.top << "," << d.right << "," << d.bottom;
  }
  ReleaseDC(&window, dc);
  addDamage(&window, {-5, 28, 100, 100});
  const RECT lost = takeDamage(&window);
  EXPECT_TRUE(lost.left == 0 && lost.top == 28 && lost.right == 40 && lost.bottom == 30);

  resizeClientArea(&window, 2100, 30);
  dc = GetDC(&window);
  MoveToEx(dc, 0, 9, nullptr);
  LineTo(dc, 2100, 9);
  ReleaseDC(&window, dc);
  EXPECT_EQ(clientPixel(window, 2047, 9), RGB(0, 0, 0));
  EXPECT_EQ(clientPixel(window, 2048, 8), kUntouched);  // not the next row's first
  EXPECT_EQ(clientPixel(window, 5, 6), RGB(0, 0, 0)) << "kept across the resize";
}

TEST(Handles, StaleSelectedAndForeignHandlesAreRefused) {
  HWND__ window = makeOffscreenWindow(4, 4, kUntouched), other = window;
  HDC dc = GetDC(&window);
  HPEN pen = CreatePen(PS_SOLID, 1, kInk);
  const HGDIOBJ stock = SelectObject(dc, pen);
  EXPECT_FALSE(DeleteObject(pen));  // still selected
  EXPECT_EQ(SelectObject(dc, stock), pen);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_EQ(SelectObject(dc, pen), nullptr);  // gone, and its slot may be reused
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_EQ(ReleaseDC(&other, dc), 0);
  EXPECT_EQ(ReleaseDC(&window, dc), 1);
  EXPECT_FALSE(MoveToEx(dc, 0, 0, nullptr));
  std::vector<HDC> contexts;
  while (HDC taken = GetDC(&window))
    contexts.push_back(taken);
  EXPECT_EQ(contexts.size(), 8u);
  for (HDC taken : contexts)
    ReleaseDC(&window, taken);
}

}  // namespace
