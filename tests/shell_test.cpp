// WinMain and the window procedure over a fake window system.

#include <cstdlib>

#include <gtest/gtest.h>

#include "fractal/escape_test.h"
#include "render/gdi/window_surface.h"
#include "shell/main_window.h"
#include "tests/fake_backend.h"
#include "tests/reference_picture.h"

namespace {

int runWinMain() {
  char commandLine[] = "ignored arguments";
  return WinMain(nullptr, nullptr, commandLine, SW_SHOWDEFAULT);
}

void registerTheClassFirst() {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProcedure;
  wc.lpszClassName = "WINDOWSAPP";  // class names ignore case
  RegisterClassExA(&wc);
}

bool showsThePicture(HWND hwnd) {
  for (int y = 0; y < kGridSize; ++y) {
    for (int x = 0; x < kGridSize; ++x) {
      if (pixelOf(clientPixel(*hwnd, x, y)) != referencePixels()[y * kGridSize + x]) return false;
    }
  }
  return true;
}

TEST(Shell, PaintsPerExposureEvenDuringAPaintAndExitsWithZeroWhenClosed) {
  int exact = 0;
  fake.onPresent = [&](HWND hwnd) {
    exact += showsThePicture(hwnd);
    if (fake.presents == 1) {
      windowExposed(hwnd, {0, 0, 10, 10});  // uncovered while the picture was drawn
    } else {
      fake.events.push_back([hwnd] { windowCloseRequested(hwnd); });
    }
  };
  fake.events.push_back([] {
    windowExposed(fake.window, {0, 0, 300, 300});
    windowExposed(fake.window, {200, 200, 554, 554});
  });
  EXPECT_EQ(runWinMain(), 0);
  EXPECT_EQ(fake.className, "WindowsApp");
  EXPECT_EQ(fake.caption, "Mandelbrot's Set");
  EXPECT_TRUE(fake.visible && fake.stockIcon);
  EXPECT_EQ(fake.presents, 2);
  EXPECT_EQ(exact, 2);
  EXPECT_EQ(fake.destroyed, 1);
}

// In a process of its own, re-run from the start, so that the class is not
// registered yet. A display that can't be opened or that goes away ends the
// real program the same way; the display tests show those.
TEST(Shell, ATakenClassIsReportedOnOneLineAndExitsWithOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        registerTheClassFirst();
        std::exit(runWinMain());
      },
      ::testing::ExitedWithCode(1),
      "^mandelbrot: could not register the window class: window class already registered\n$");
}

}  // namespace
