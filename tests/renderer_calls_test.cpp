#include <gtest/gtest.h>

#include "fractal/escape_test.h"
#include "render/fractal_renderer.h"
#include "tests/recording_gdi.h"
#include "tests/reference_picture.h"

namespace {

TEST(RendererCalls, EveryPixelOnceInRowOrderWithItsOwnPen) {
  recording = {};
  DrawFractal(reinterpret_cast<HWND>(&recording));
  EXPECT_EQ(recording.getDCs, 1);
  EXPECT_EQ(recording.releaseDCs, 1);
  EXPECT_EQ(recording.window, reinterpret_cast<HWND>(&recording));

  constexpr std::size_t kPixels = kGridSize * kGridSize;
  ASSERT_EQ(recording.lines.size(), kPixels);
  ASSERT_EQ(recording.pens.size(), kPixels);
  const std::vector<COLORREF>& reference = referencePicture();
  for (std::size_t i = 0; i < kPixels; ++i) {
    const RecordedLine& line = recording.lines[i];
    const int x = static_cast<int>(i % kGridSize), y = static_cast<int>(i / kGridSize);
    ASSERT_EQ(line.from.x, x) << "line " << i;
    ASSERT_EQ(line.from.y, y) << "line " << i;
    ASSERT_EQ(line.to.x, x + 1) << "line " << i;
    ASSERT_EQ(line.to.y, y + 1) << "line " << i;
    ASSERT_EQ(line.pen, i + 1) << "each pixel draws with a pen of its own";
    ASSERT_EQ(line.color, reference[i]) << x << "," << y;
  }
  for (const RecordedPen& pen : recording.pens) {
    ASSERT_EQ(pen.style, PS_SOLID);
    ASSERT_EQ(pen.width, 1);
    ASSERT_TRUE(pen.deleted);
  }
  EXPECT_EQ(recording.deletedWhileSelected, 0);
  EXPECT_EQ(recording.previousPositionsAsked, 0);
}

}  // namespace
