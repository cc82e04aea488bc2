// WinMain and the window procedure over a fake window system.

#include <cstdlib>
#include <string>

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

// Runs first: the class it registers stays registered for the process.
TEST(Shell, PaintsOncePerExposureAndExitsWithZeroWhenClosed) {
  fake = {};
  bool exact = false;
  fake.onPresent = [&](HWND hwnd) {
    exact = true;
    const std::vector<COLORREF>& reference = referencePicture();
    for (int y = 0; y < kGridSize && exact; ++y) {
      for (int x = 0; x < kGridSize && exact; ++x) {
        exact = clientPixel(*hwnd, x, y) == reference[y * kGridSize + x];
      }
    }
    // The user closes the window after seeing the picture.
    fake.events.push_back([hwnd] { windowCloseRequested(hwnd); });
  };
  fake.events.push_back([] {
    windowExposed(fake.lastWindow, {0, 0, 300, 300});
    windowExposed(fake.lastWindow, {200, 200, 554, 554});
  });
  EXPECT_EQ(runWinMain(), 0);
  EXPECT_EQ(fake.className, "WindowsApp");
  EXPECT_EQ(fake.caption, "Mandelbrot's Set");
  EXPECT_TRUE(fake.visible);
  EXPECT_TRUE(fake.stockIcon);
  EXPECT_EQ(fake.presents, 1);
  EXPECT_TRUE(exact);
  EXPECT_EQ(fake.destroyed, 1);
}

TEST(Shell, ATakenClassIsReportedAndExitsWithOne) {
  fake = {};
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProcedure;
  wc.lpszClassName = szClassName;
  RegisterClassExA(&wc);  // fails harmlessly when the test above registered it
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runWinMain(), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "mandelbrot: could not register the window class: window class already registered\n");
  EXPECT_EQ(fake.created, 0);
}

// In a process of their own, re-run from the start, so that the class is
// not registered yet.
class ShellFailure : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(ShellFailure, AWindowThatCannotBeCreatedIsReportedAndExitsWithOne) {
  EXPECT_EXIT(
      {
        fake = {};
        fake.createFailure = "cannot open X display ':9'";
        std::exit(runWinMain());
      },
      ::testing::ExitedWithCode(1),
      "^mandelbrot: could not create the window: cannot open X display ':9'\n$");
}

TEST_F(ShellFailure, AFailingMessageLoopIsReportedAndExitsWithOne) {
  EXPECT_EXIT(
      {
        fake = {};
        fake.failure = "lost the connection to X display ':9'";
        std::exit(runWinMain());
      },
      ::testing::ExitedWithCode(1),
      "^mandelbrot: could not get the next message: lost the connection to X display ':9'\n$");
}

}  // namespace
