#pragma once

// What the windowing layer needs from the window system beneath it: one table
// of calls per system, each filled by its backend (x11_backend.cpp,
// wayland_backend.cpp, browser_backend.cpp) and a fake in the tests. The
// start-up tries them in turn (backend_choice.cpp; a web page has only its
// own, browser_choice.cpp) and keeps the first that connects. The backend
// reports what happens to its windows through the calls at the end, which are
// the layer's.

#include <string>

#include "shell/windowing/windowing.h"

struct Backend {
  const char* name;  // as MANDELBROT_BACKEND names it
  // Connects to the window system, once, before the first window. False, with
  // the reason in `error`, when there is none or it lacks what the backend
  // needs.
  bool (*connect)(std::string& error);
  // Opens a top-level window for `window`, whose surface already has the
  // client size, with the caption and the class name, at the system's default
  // position, showing the stock application icon where the system shows icons
  // if `stockIcon` is set. The backend sets the surface's present hook. False,
  // with the reason in `error`, when it can't.
  bool (*createWindow)(HWND window, const char* className, const char* caption, bool stockIcon,
                       std::string& error);
  // Puts the window on the screen; the layer never takes it off again.
  void (*showWindow)(HWND window);
  void (*destroyWindow)(HWND window);
  // Hands every event already waiting to the layer, after waiting for at least
  // one when `wait` is set. False, with the reason in `error`, when the window
  // system can't be reached any more or there is nothing to wait for.
  bool (*pumpEvents)(bool wait, std::string& error);
  // Lets go of the window system once the program is done with it.
  void (*shutdown)();
};

extern const Backend x11Backend;
extern const Backend waylandBackend;
extern const Backend browserBackend;

// The backend every later call of the layer goes to; set once, before the
// first window is created.
void useBackend(const Backend& backend);

// Captions are 8-bit text in the Windows code page; Latin-1 is close enough,
// and window systems want UTF-8.
std::string latin1ToUtf8(const char* text);

// Reported by the backend from inside its pumpEvents.
void windowExposed(HWND window, const RECT& area);
void windowResized(HWND window, int clientWidth, int clientHeight);
void windowCloseRequested(HWND window);
// The window system destroyed the window itself: the window goes as with
// DestroyWindow, but without asking the backend to destroy it again.
void windowDestroyed(HWND window);
