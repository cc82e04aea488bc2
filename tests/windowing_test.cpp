#include <string>

#include <gtest/gtest.h>

#include "render/gdi/window_surface.h"
#include "shell/windowing/windowing.h"
#include "tests/fake_backend.h"

namespace {

struct Calls {
  int paints = 0;
  int destroys = 0;
  int others = 0;
};
Calls calls;

LRESULT CALLBACK recordingProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      ++calls.paints;
      return 0;
    case WM_DESTROY:
      ++calls.destroys;
      PostQuitMessage(7);
      return 0;
    default:
      ++calls.others;
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

WNDCLASSEXA classNamed(const char* name) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = recordingProcedure;
  wc.lpszClassName = name;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BACKGROUND));
  return wc;
}

class Windowing : public ::testing::Test {
 protected:
  void SetUp() override {
    fake = {};
    calls = {};
    // Each test gets a class of its own; classes live as long as the process.
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const WNDCLASSEXA wc = classNamed(name.c_str());
    ASSERT_NE(RegisterClassExA(&wc), 0);
    hwnd = CreateWindowExA(0, name.c_str(), "Caption", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, 40, 30, HWND_DESKTOP, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOWDEFAULT);
  }
  void TearDown() override {
    fake.events.clear();
    fake.failure.clear();
    DestroyWindow(hwnd);
    // Take the quit message that destroying the window posted.
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    }
  }

  void expose(RECT area) {
    fake.events.push_back([this, area] { windowExposed(hwnd, area); });
  }
  // The next message, or WM_NULL when GetMessage found none and would block.
  UINT next(MSG& msg) {
    const BOOL result = GetMessageA(&msg, nullptr, 0, 0);
    if (result == -1) return WM_NULL;
    DispatchMessageA(&msg);
    return msg.message;
  }

  HWND hwnd = nullptr;
};

TEST(WindowClasses, RegistrationChecksTheRecordAndTheName) {
  WNDCLASSEXA wc = classNamed("Registered");
  EXPECT_GE(RegisterClassExA(&wc), 0xC000);
  wc.lpszClassName = "REGISTERED";  // names are compared without case
  EXPECT_EQ(RegisterClassExA(&wc), 0);
  EXPECT_STREQ(GetLastErrorText(), "window class already registered");

  WNDCLASSEXA bad = classNamed("Other");
  bad.cbSize = 0;
  EXPECT_EQ(RegisterClassExA(&bad), 0);
  bad = classNamed("Other");
  bad.lpfnWndProc = nullptr;
  EXPECT_EQ(RegisterClassExA(&bad), 0);
  bad = classNamed("");
  EXPECT_EQ(RegisterClassExA(&bad), 0);

  EXPECT_EQ(
      CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
      nullptr);
  EXPECT_STREQ(GetLastErrorText(), "no window class of that name");
}

TEST_F(Windowing, CreationUsesTheClassAndItsBackground) {
  EXPECT_EQ(fake.className, "CreationUsesTheClassAndItsBackground");
  EXPECT_EQ(fake.caption, "Caption");
  EXPECT_TRUE(fake.visible);
  EXPECT_EQ(hwnd->width, 40);
  EXPECT_EQ(hwnd->height, 30);
  // System colour 1 as a brush names the scroll-bar grey.
  EXPECT_EQ(clientPixel(*hwnd, 0, 0), RGB(200, 200, 200));
}

TEST_F(Windowing, PaintOnlyWhileInvalidAndManyExposuresMakeOne) {
  MSG msg;
  EXPECT_EQ(next(msg), WM_NULL) << "painted before anything was exposed";
  expose({0, 0, 10, 10});
  expose({20, 5, 30, 25});
  expose({35, 0, 100, 100});  // partly outside the window
  EXPECT_EQ(next(msg), WM_PAINT);
  EXPECT_EQ(msg.hwnd, hwnd);
  // Not validated: the request repeats, as on Windows.
  EXPECT_EQ(next(msg), WM_PAINT);
  ValidateRect(hwnd, nullptr);
  EXPECT_EQ(next(msg), WM_NULL);
  EXPECT_EQ(calls.paints, 2);
}

TEST_F(Windowing, ValidatingPartOfTheInvalidAreaIsNotEnough) {
  MSG msg;
  expose({5, 5, 15, 15});
  const RECT part = {5, 5, 10, 10};
  ValidateRect(hwnd, &part);
  EXPECT_EQ(next(msg), WM_PAINT);
  const RECT all = {0, 0, 40, 30};
  ValidateRect(hwnd, &all);
  EXPECT_EQ(next(msg), WM_NULL);
}

TEST_F(Windowing, PostedMessagesComeBeforeQuitAndQuitBeforePaint) {
  MSG msg;
  expose({0, 0, 5, 5});
  fake.events.push_back([this] { windowCloseRequested(hwnd); });
  EXPECT_EQ(next(msg), WM_CLOSE);  // the default procedure destroys the window
  EXPECT_EQ(calls.destroys, 1);
  EXPECT_EQ(fake.destroyed, 1);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 7u);
  // The window is gone, and with it its paint request and procedure.
  EXPECT_EQ(next(msg), WM_NULL);
  const MSG stale = {hwnd, WM_PAINT, 0, 0, 0, {0, 0}};
  EXPECT_EQ(DispatchMessageA(&stale), 0);
  EXPECT_EQ(calls.paints, 0);
  EXPECT_FALSE(DestroyWindow(hwnd));
}

TEST_F(Windowing, AFailingWindowSystemEndsTheLoopWithMinusOne) {
  fake.failure = "the server went away";
  MSG msg;
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
  EXPECT_STREQ(GetLastErrorText(), "the server went away");
}

TEST_F(Windowing, ResizingKeepsThePictureAndFillsTheRestWithTheBackground) {
  HDC dc = GetDC(hwnd);
  MoveToEx(dc, 1, 1, nullptr);
  LineTo(dc, 2, 2);
  ReleaseDC(hwnd, dc);
  EXPECT_EQ(fake.presents, 1);
  windowExposed(hwnd, {0, 0, 40, 30});
  windowResized(hwnd, 60, 20);
  EXPECT_EQ(hwnd->width, 60);
  EXPECT_EQ(clientPixel(*hwnd, 1, 1), RGB(0, 0, 0));
  EXPECT_EQ(clientPixel(*hwnd, 50, 10), RGB(200, 200, 200));
  // The invalid area shrank with the window.
  const RECT all = {0, 0, 60, 20};
  ValidateRect(hwnd, &all);
  MSG msg;
  EXPECT_EQ(next(msg), WM_NULL);
}

}  // namespace
