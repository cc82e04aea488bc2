#include <atomic>
#include <cstdlib>
#include <new>

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

void expectPicture(const HWND__& window) {
  const std::vector<COLORREF>& reference = referencePicture();
  for (int y = 0; y < std::min(window.height, kGridSize); ++y) {
    for (int x = 0; x < std::min(window.width, kGridSize); ++x) {
      ASSERT_EQ(clientPixel(window, x, y), reference[y * kGridSize + x]) << x << "," << y;
    }
  }
}

TEST(Shade, ListedValues) {
  const int steps[] = {0, 1, 2, 3, 4, 5, 6, 10, 11, 14, 15, 50, 98, 99};
  const int shades[] = {255, 252, 249, 247, 244, 242, 239, 229, 226, 219, 216, 127, 5, 2};
  for (int i = 0; i < 14; ++i)
    EXPECT_EQ(shadeOf(steps[i]), shades[i]) << "steps " << steps[i];
}

TEST(Shade, EveryStepIsTheFloorOfItsShareAndNeverBlack) {
  for (int steps = 0; steps < 100; ++steps) {
    EXPECT_EQ(shadeOf(steps), 255 * (100 - steps) / 100) << "steps " << steps;
    EXPECT_GE(shadeOf(steps), 2);
  }
}

TEST(DrawFractal, ExactPictureAndColourCounts) {
  HWND__ window = makeOffscreenWindow(kGridSize, kGridSize, kUntouched);
  DrawFractal(&window);
  expectPicture(window);
  int black = 0, white = 0, shade252 = 0, darkest = 0;
  for (const Pixel pixel : window.pixels) {
    black += pixel == 0x000000;
    white += pixel == 0xFFFFFF;
    shade252 += pixel == 0xFCFCFC;
    darkest += pixel == 0x020202;
  }
  EXPECT_EQ(black, 31621);
  EXPECT_EQ(white, 72846);
  EXPECT_EQ(shade252, 106344);
  EXPECT_EQ(darkest, 10);
  EXPECT_EQ(clientPixel(window, 337, 257), RGB(0, 0, 0));
  EXPECT_EQ(clientPixel(window, 300, 100), RGB(244, 244, 244));
  EXPECT_EQ(clientPixel(window, 377, 257), RGB(216, 216, 216));
}

TEST(DrawFractal, SmallerAreaClipsLargerAreaIsLeftAlone) {
  HWND__ small = makeOffscreenWindow(300, 200, kUntouched);
  DrawFractal(&small);
  expectPicture(small);

  HWND__ large = makeOffscreenWindow(600, 650, kUntouched);
  DrawFractal(&large);
  expectPicture(large);
  for (int y = 0; y < large.height; ++y) {
    for (int x = 0; x < large.width; ++x) {
      if (x >= kGridSize || y >= kGridSize) {
        ASSERT_EQ(clientPixel(large, x, y), kUntouched) << x << "," << y;
      }
    }
  }
}

TEST(DrawFractal, RedrawsEverythingEachTime) {
  HWND__ window = makeOffscreenWindow(kGridSize, kGridSize, kUntouched);
  DrawFractal(&window);
  std::fill(window.pixels.begin(), window.pixels.begin() + 1000, 0x123456u);
  window.pixels.back() = 0x123456u;
  DrawFractal(&window);
  expectPicture(window);
}

TEST(DrawFractal, AllocatesNothing) {
  HWND__ window = makeOffscreenWindow(kGridSize, kGridSize, kUntouched);
  const long before = allocations;
  DrawFractal(&window);
  EXPECT_EQ(allocations - before, 0);
}

}  // namespace
