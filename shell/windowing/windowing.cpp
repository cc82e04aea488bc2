// The windowing layer's own logic, the same whatever the window system: the
// class table, the windows, the message queue and how paint requests arise.

#include "shell/windowing/windowing.h"

#include <algorithm>
#include <deque>
#include <list>
#include <string>

#include "render/gdi/window_surface.h"
#include "shell/windowing/backend.h"

struct HICON__ {};

namespace {

struct WindowClass {
  std::string name;
  WNDPROC procedure;
  COLORREF background;
  HICON icon;
};

struct Window {
  HWND__ surface;  // the window's handle is this member's address
  WNDPROC procedure;
  RECT invalid = {0, 0, 0, 0};  // the part of the client area to be painted
  bool visible = false;
};

std::list<WindowClass> classes;
std::list<Window> windows;
std::deque<MSG> posted;
bool quitPosted = false;
int quitCode = 0;
std::string lastError;
const Backend* backend = nullptr;
HICON__ applicationIcon;
HICON__ arrowCursor;

constexpr UINT_PTR kStockResource = 32512;

const WindowClass* findClass(const char* name) {
  for (const WindowClass& c : classes) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

Window* findWindow(HWND hwnd) {
  for (Window& w : windows) {
    if (&w.surface == hwnd) return &w;
  }
  return nullptr;
}

// A class brush that is a small number names a system colour, as its index
// plus one: 1 names colour 0, the scroll-bar grey, which is the program's.
// Any other brush here gives white.
COLORREF backgroundOf(HBRUSH brush) {
  const bool scrollBar = reinterpret_cast<UINT_PTR>(brush) == 1;
  return scrollBar ? RGB(200, 200, 200) : RGB(255, 255, 255);
}

BOOL fail(const char* reason) {
  lastError = reason;
  return FALSE;
}

}  // namespace

std::string latin1ToUtf8(const char* text) {
  std::string utf8;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c != 0; ++c) {
    if (*c >= 0x80) utf8 += static_cast<char>(0xC0 | *c >> 6);
    utf8 += static_cast<char>(*c < 0x80 ? *c : 0x80 | (*c & 0x3F));
  }
  return utf8;
}

void useBackend(const Backend& chosen) {
  backend = &chosen;
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
  if (wc == nullptr || wc->cbSize != sizeof(WNDCLASSEXA)) return fail("malformed window class");
  if (wc->lpfnWndProc == nullptr) return fail("window class without a procedure");
  if (wc->lpszClassName == nullptr || *wc->lpszClassName == '\0') {
    return fail("window class without a name");
  }
  if (findClass(wc->lpszClassName) != nullptr) return fail("window class already registered");
  classes.push_back(
      {wc->lpszClassName, wc->lpfnWndProc, backgroundOf(wc->hbrBackground), wc->hIcon});
  // Atoms for classes start at 0xC000 on Windows.
  return static_cast<ATOM>(0xC000 + classes.size() - 1);
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD, int, int, int width,
                     int height, HWND, HMENU, HINSTANCE, LPVOID) {
  const WindowClass* windowClass = className != nullptr ? findClass(className) : nullptr;
  if (windowClass == nullptr) {
    fail("no window class of that name");
    return nullptr;
  }
  Window& window = windows.emplace_back(
      Window{makeOffscreenWindow(width, height, windowClass->background), windowClass->procedure});
  std::string error;
  if (!backend->createWindow(&window.surface, windowClass->name.c_str(),
                             windowName != nullptr ? windowName : "",
                             windowClass->icon == &applicationIcon, error)) {
    windows.pop_back();
    lastError = error;
    return nullptr;
  }
  return &window.surface;
}

BOOL ShowWindow(HWND hwnd, int) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || window->visible) return window != nullptr;
  window->visible = true;
  backend->showWindow(hwnd);
  // As on Windows, a window that is shown needs painting at once: the first
  // paint comes as soon as the queue is empty, without waiting for the window
  // system to expose the window.
  window->invalid = {0, 0, hwnd->width, hwnd->height};
  return FALSE;
}

namespace {

// WM_DESTROY, then the window goes; the backend takes down its own part when
// it did not go already.
BOOL takeDown(HWND hwnd, bool withBackend) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return fail("not a window");
  window->procedure(hwnd, WM_DESTROY, 0, 0);
  if (withBackend) backend->destroyWindow(hwnd);
  windows.remove_if([window](const Window& w) { return &w == window; });
  return TRUE;
}

}  // namespace

BOOL DestroyWindow(HWND hwnd) {
  return takeDown(hwnd, true);
}

BOOL GetMessageA(MSG* msg, HWND, UINT, UINT) {
  for (bool wait = false;; wait = true) {
    std::string error;
    if (!backend->pumpEvents(wait, error)) {
      lastError = error;
      return -1;
    }
    if (!posted.empty()) {
      *msg = posted.front();
      posted.pop_front();
      return TRUE;
    }
    if (quitPosted) {
      quitPosted = false;
      *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(quitCode), 0, 0, {0, 0}};
      return FALSE;
    }
    // Paint requests come last, so that any number of exposures waiting at
    // once make a single one.
    for (Window& window : windows) {
      if (!isEmpty(window.invalid)) {
        *msg = MSG{&window.surface, WM_PAINT, 0, 0, 0, {0, 0}};
        return TRUE;
      }
    }
  }
}

BOOL TranslateMessage(const MSG*) {
  return FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  Window* window = msg != nullptr ? findWindow(msg->hwnd) : nullptr;
  if (window == nullptr) return 0;
  return window->procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM, LPARAM) {
  if (message == WM_CLOSE) DestroyWindow(hwnd);
  return 0;
}

void PostQuitMessage(int exitCode) {
  quitPosted = true;
  quitCode = exitCode;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || rect != nullptr) return fail("not a window, or a part of one");
  window->invalid = {0, 0, 0, 0};
  return TRUE;
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  const bool stock = instance == nullptr && reinterpret_cast<UINT_PTR>(name) == kStockResource;
  return stock ? &applicationIcon : nullptr;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  const bool stock = instance == nullptr && reinterpret_cast<UINT_PTR>(name) == kStockResource;
  return stock ? &arrowCursor : nullptr;
}

const char* GetLastErrorText() {
  return lastError.c_str();
}

void windowExposed(HWND hwnd, const RECT& area) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return;
  const RECT clipped = {std::max(area.left, 0), std::max(area.top, 0),
                        std::min(area.right, hwnd->width), std::min(area.bottom, hwnd->height)};
  window->invalid = unionOf(window->invalid, clipped);
}

void windowResized(HWND hwnd, int clientWidth, int clientHeight) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || (clientWidth == hwnd->width && clientHeight == hwnd->height)) return;
  resizeClientArea(hwnd, clientWidth, clientHeight);
  // What was invalid beyond the new edges is gone; the backend reports what an
  // enlargement uncovers as exposed.
  RECT& invalid = window->invalid;
  invalid.right = std::min(invalid.right, clientWidth);
  invalid.bottom = std::min(invalid.bottom, clientHeight);
}

void windowCloseRequested(HWND hwnd) {
  if (findWindow(hwnd) != nullptr) posted.push_back(MSG{hwnd, WM_CLOSE, 0, 0, 0, {0, 0}});
}

void windowDestroyed(HWND hwnd) {
  takeDown(hwnd, false);
}
