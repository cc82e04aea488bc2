// The windowing layer, WinMain and the window procedure over a fake window
// system: classes, the message queue and how paint requests arise.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "render/gdi/window_surface.h"
#include "shell/main_window.h"
#include "shell/windowing/backend.h"
#include "shell/windowing/wayland_buffer.h"
#include "tests/reference_picture.h"

namespace {

// The window system: tests queue the events it reports at the next pump;
// with nothing queued, a pump that is asked to wait fails instead of
// blocking, so a loop that would hang ends.
struct {
  std::vector<std::function<void()>> events;
  int presents = 0, destroyed = 0;
  bool shown = false;
  std::function<void(HWND)> onPresent;
} fake;

const Backend fakeBackend = {"fake",
                             [](std::string&) { return true; },
                             [](HWND window, const char*, const char*, bool, std::string&) {
                               window->present = [](HWND hwnd) {
                                 ++fake.presents;
                                 if (fake.onPresent) fake.onPresent(hwnd);
                               };
                               return true;
                             },
                             [](HWND) { fake.shown = true; },
                             [](HWND) { ++fake.destroyed; },
                             [](bool wait, std::string& error) {
                               const bool stuck = wait && fake.events.empty();
                               if (stuck) error = "nothing to wait for";
                               for (const auto& event : std::exchange(fake.events, {}))
                                 event();
                               return !stuck;
                             },
                             [] {}};
const bool installed = (useBackend(fakeBackend), true);

int paints = 0;

LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) ++paints;
  if (message == WM_DESTROY) PostQuitMessage(7);
  return message == WM_PAINT ? 0 : DefWindowProcA(hwnd, message, wParam, lParam);
}

// The next message, dispatched, or WM_NULL when GetMessage would block.
UINT next(MSG& msg) {
  if (GetMessageA(&msg, nullptr, 0, 0) == -1) return WM_NULL;
  DispatchMessageA(&msg);
  return msg.message;
}

TEST(Windowing, PaintsOnShowAndWhileInvalidPostedMessagesFirstQuitBeforePaint) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.lpszClassName = "Queue";
  RegisterClassExA(&wc);
  HWND hwnd = CreateWindowExA(0, "Queue", "", 0, 0, 0, 40, 30, nullptr, nullptr, nullptr, nullptr);
  MSG msg;
  EXPECT_EQ(next(msg), WM_NULL) << "painted before it was shown";
  ShowWindow(hwnd, SW_SHOWDEFAULT);
  EXPECT_EQ(next(msg), WM_PAINT) << "waited for an exposure";
  EXPECT_EQ(next(msg), WM_PAINT) << "not validated: the request repeats";
  ValidateRect(hwnd, nullptr);
  EXPECT_EQ(next(msg), WM_NULL);
  fake.events.push_back([hwnd] {
    windowExposed(hwnd, {60, 0, 100, 100});  // outside
    windowExposed(hwnd, {39, 29, 100, 100});
  });
  EXPECT_EQ(next(msg), WM_PAINT);
  ValidateRect(hwnd, nullptr);
  fake.events.push_back([hwnd] {
    windowExposed(hwnd, {0, 0, 5, 5});
    windowCloseRequested(hwnd);
  });
  EXPECT_EQ(next(msg), WM_CLOSE);  // the default procedure destroys the window
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
  EXPECT_TRUE(msg.message == WM_QUIT && msg.wParam == 7u);
  EXPECT_EQ(next(msg), WM_NULL) << "the window's paint request went with it";
  EXPECT_EQ(paints, 3);
}

// Shown, the window is painted with nothing exposed yet; then once per
// exposure, even one during a paint.
TEST(Shell, PaintsWhenShownAndPerExposureAndExitsWithZeroWhenClosed) {
  fake = {};  // whatever an earlier test in this process counted
  int exact = 0;
  fake.onPresent = [&](HWND hwnd) {
    exact += hwnd->pixels == referencePixels();
    if (fake.presents == 1) {
      windowExposed(hwnd, {0, 0, 10, 10});  // uncovered while the picture was drawn
    } else {
      fake.events.push_back([hwnd] { windowCloseRequested(hwnd); });
    }
  };
  char commandLine[] = "ignored arguments";
  EXPECT_EQ(WinMain(nullptr, nullptr, commandLine, SW_SHOWDEFAULT), 0);
  EXPECT_TRUE(fake.shown);
  EXPECT_TRUE(fake.presents == 2 && exact == 2 && fake.destroyed == 1);
}

// A Wayland buffer holds each pixel as a scale x scale block, opaque, and the
// background wherever the content is larger than the pixels stored (a window
// past the stored limit): never what a reused buffer held before.
TEST(WaylandBuffer, ScaledBlocksAndTheBackgroundBeyondTheStoredPixels) {
  HWND__ window = makeOffscreenWindow(2, 1, RGB(1, 2, 3));
  window.pixels = {0x0A0B0C, 0x0D0E0F};
  std::vector<std::uint32_t> out(3 * 2 * 2 * 2, 0x12345678);  // 3 x 2 at scale 2
  copyScaled(window, 3, 2, 2, out.data());
  const std::uint32_t a = 0xFF0A0B0C, b = 0xFF0D0E0F, g = 0xFF010203;
  EXPECT_EQ(out, (std::vector<std::uint32_t>{a, a, b, b, g, g, a, a, b, b, g, g,  //
                                             g, g, g, g, g, g, g, g, g, g, g, g}));
}

}  // namespace
