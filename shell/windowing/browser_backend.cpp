// The windowing layer's backend for a web page: the window is the page's
// canvas (browser_backend.js), each client pixel a whole block of device
// pixels, and the page's events become the layer's exposures, resizes (a new
// device pixel ratio) and close request (the page going away). GetMessage
// waits on them as a promise, through Asyncify, so the page idles at no cost.
// Left out, as a page has none of them: more than one window, a frame, a
// position, an icon, and resizing by the user.

#include <emscripten.h>

#include <cstdint>
#include <vector>

#include "render/gdi/window_surface.h"
#include "shell/windowing/backend.h"

namespace {

HWND shown = nullptr;  // the page has room for one window
int block = 1;         // device pixels per picture pixel, each way
std::vector<std::uint32_t> rgba;

// clang-format off
EM_JS(bool, pageHasCanvas, (), {
  return typeof document == 'object' && !!document.getElementById('window');
});
EM_JS(void, pageCreate, (const char* caption, int size, Pixel background), {
  page.create(UTF8ToString(caption), size, background);
});
EM_ASYNC_JS(void, pageWait, (), {
  if (!page.events) await new Promise((resolve) => page.wake = resolve);
});
EM_JS(int, pageTake, (int* layout), { return page.take(layout); });
EM_JS(void, pagePut, (const std::uint32_t* pixels, int x, int y, int width, int height), {
  page.put(pixels, x, y, width, height);
});
// clang-format on

constexpr int kLayout = 1, kExposed = 2, kClosing = 4;  // as browser_backend.js posts them

bool connect(std::string& error) {
  if (pageHasCanvas()) return true;
  error = "no page with a canvas to show the window on";
  return false;
}

// The damage, each pixel a block of device pixels in the canvas's RGBA.
void present(HWND hwnd) {
  const RECT d = takeDamage(hwnd);
  const int width = (d.right - d.left) * block, height = (d.bottom - d.top) * block;
  if (width <= 0 || height <= 0) return;
  rgba.resize(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const Pixel* row = &hwnd->pixels[(d.top + y / block) * hwnd->storedWidth + d.left];
    for (int x = 0; x < width; ++x)
      rgba[y * width + x] = 0xFF000000 | colorOf(row[x / block]);
  }
  pagePut(rgba.data(), d.left * block, d.top * block, width, height);
}

bool createWindow(HWND window, const char*, const char* caption, bool, std::string& error) {
  if (shown != nullptr) {
    error = "the page shows one window only";
    return false;
  }
  shown = window;
  window->present = present;
  pageCreate(latin1ToUtf8(caption).c_str(), window->width, window->background);
  return true;
}

// The canvas appears with the page; its first layout exposes it.
void showWindow(HWND) {}

void destroyWindow(HWND window) {
  window->present = nullptr;
  shown = nullptr;
}

bool pumpEvents(bool wait, std::string& error) {
  if (shown == nullptr) {
    error = "no window to wait for";
    return !wait;
  }
  if (wait) pageWait();
  int layout[3];  // the canvas's width and height in device pixels, the block size
  const int events = pageTake(layout);
  if (events & kLayout) {
    block = layout[2];
    windowResized(shown, layout[0] / block, layout[1] / block);
  }
  if (events & (kLayout | kExposed)) {
    const RECT all = {0, 0, shown->width, shown->height};
    addDamage(shown, all);
    windowExposed(shown, all);
  }
  if (events & kClosing) windowCloseRequested(shown);
  return true;
}

void shutdown() {}

}  // namespace

const Backend browserBackend = {"browser",     connect,    createWindow, showWindow,
                                destroyWindow, pumpEvents, shutdown};
