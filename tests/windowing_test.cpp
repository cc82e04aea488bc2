// The windowing layer's own logic over a fake window system: classes, the
// message queue and how paint requests arise.

#include <gtest/gtest.h>

#include "render/gdi/window_surface.h"
#include "shell/windowing/stock_icon.h"
#include "shell/windowing/windowing.h"
#include "tests/fake_backend.h"

namespace {

int paints = 0;
bool refuseClose = false;

LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) ++paints;
  if (message == WM_DESTROY) PostQuitMessage(7);
  const bool handled = message == WM_PAINT || (message == WM_CLOSE && refuseClose);
  return handled ? 0 : DefWindowProcA(hwnd, message, wParam, lParam);
}

WNDCLASSEXA classNamed(const char* name) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.lpszClassName = name;
  return wc;
}

// The next message, dispatched, or WM_NULL when GetMessage would block.
UINT next(MSG& msg) {
  if (GetMessageA(&msg, nullptr, 0, 0) == -1) return WM_NULL;
  DispatchMessageA(&msg);
  return msg.message;
}

TEST(Windowing, ClassesAreCheckedAndWindowsKeepTheirPixelsOnTheirBackground) {
  WNDCLASSEXA wc = classNamed("Checked");
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BACKGROUND));
  EXPECT_GE(RegisterClassExA(&wc), 0xC000);
  EXPECT_EQ(RegisterClassExA(&wc), 0);
  EXPECT_STREQ(GetLastErrorText(), "window class already registered");
  WNDCLASSEXA bad = wc;
  bad.lpszClassName = "Other";
  bad.lpfnWndProc = nullptr;
  EXPECT_EQ(RegisterClassExA(&bad), 0);
  bad.cbSize = 0;
  EXPECT_EQ(RegisterClassExA(&bad), 0);
  EXPECT_EQ(CreateWindowExA(0, "Nothing", "", 0, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr),
            nullptr);

  HWND hwnd = CreateWindowExA(0, "checked", "Caption", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 40, 30, HWND_DESKTOP, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(fake.className, "Checked");
  EXPECT_TRUE(hwnd->width == 40 && hwnd->height == 30);
  // Resizes keep what the client area showed in place, from its first row
  // and column on, and fill what they uncover with the class background:
  // index 1 names the scroll-bar grey.
  for (std::size_t i = 0; i < hwnd->pixels.size(); ++i)
    hwnd->pixels[i] = static_cast<Pixel>(i + 1);
  windowResized(hwnd, 50, 20);
  windowResized(hwnd, 50, 35);
  ASSERT_TRUE(hwnd->width == 50 && hwnd->height == 35);
  for (int y = 0; y < 35; ++y) {
    for (int x = 0; x < 50; ++x) {
      const COLORREF want =
          x < 40 && y < 20 ? colorOf(static_cast<Pixel>(y * 40 + x + 1)) : RGB(200, 200, 200);
      ASSERT_EQ(clientPixel(*hwnd, x, y), want) << "at " << x << ", " << y;
    }
  }
  DestroyWindow(hwnd);
  MSG msg;
  EXPECT_EQ(next(msg), WM_QUIT);
}

TEST(Windowing, PaintsWhileInvalidPostedMessagesFirstQuitBeforePaint) {
  const WNDCLASSEXA wc = classNamed("Queue");
  RegisterClassExA(&wc);
  HWND hwnd = CreateWindowExA(0, "Queue", "", 0, 0, 0, 40, 30, nullptr, nullptr, nullptr, nullptr);
  MSG msg;
  EXPECT_EQ(next(msg), WM_NULL) << "painted before anything was exposed";
  fake.events.push_back([hwnd] {
    windowExposed(hwnd, {0, 0, 10, 10});
    windowExposed(hwnd, {35, 0, 100, 100});  // partly outside
  });
  EXPECT_EQ(next(msg), WM_PAINT);
  EXPECT_EQ(next(msg), WM_PAINT) << "not validated: the request repeats";
  const RECT part = {0, 0, 10, 10}, all = {0, 0, 40, 30};
  ValidateRect(hwnd, &part);
  EXPECT_EQ(next(msg), WM_PAINT) << "a part validated is not enough";
  ValidateRect(hwnd, &all);
  EXPECT_EQ(next(msg), WM_NULL);
  EXPECT_EQ(paints, 3);

  // A close request comes once, whether the window goes or not.
  refuseClose = true;
  fake.events.push_back([hwnd] { windowCloseRequested(hwnd); });
  EXPECT_EQ(next(msg), WM_CLOSE);
  EXPECT_EQ(next(msg), WM_NULL);
  refuseClose = false;
  fake.events.push_back([hwnd] {
    windowExposed(hwnd, {0, 0, 5, 5});
    windowCloseRequested(hwnd);
  });
  EXPECT_EQ(next(msg), WM_CLOSE);  // the default procedure destroys the window
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
  EXPECT_TRUE(msg.message == WM_QUIT && msg.wParam == 7u);
  EXPECT_EQ(next(msg), WM_NULL) << "the window's paint request went with it";
  EXPECT_EQ(paints, 3);

  fake.failure = "the server went away";
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
  EXPECT_STREQ(GetLastErrorText(), "the server went away");
  fake.failure.clear();
}

// The stock icon as designed: a plain window with a title bar at each size.
TEST(Windowing, StockIconIsTheDesignedGlyph) {
  unsigned long long hash = 1469598103934665603ull;  // FNV-1a over the pixels
  for (const int size : {16, 32, 48}) {
    for (const std::uint32_t pixel : stockApplicationIcon(size))
      hash = (hash ^ pixel) * 1099511628211ull;
  }
  EXPECT_EQ(hash, 0x5d170d42d4c5c857ull);
}

}  // namespace
