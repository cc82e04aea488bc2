// The windowing layer's backend for X11, through Xlib: one top-level X window
// per window, its client area put on the screen from the window's surface,
// and X events turned into the layer's exposures, resizes and close requests.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "render/gdi/window_surface.h"
#include "shell/windowing/backend.h"
#include "shell/windowing/stock_icon.h"

namespace {

struct X11Window {
  HWND hwnd;
  ::Window id;
  GC gc;
  int outerWidth, outerHeight;  // wanted, frame included
  bool fitted;                  // client size set from the frame's extents
};

Display* display = nullptr;
bool connectionLost = false;
std::vector<X11Window> xwindows;

enum AtomName {
  kWmProtocols,
  kWmDeleteWindow,
  kNetWmName,
  kUtf8String,
  kNetWmPid,
  kNetFrameExtents,
  kNetRequestFrameExtents,
  kNetSupported,
  kNetWmIcon,
  kAtomCount
};
const char* const kAtomNames[] = {"WM_PROTOCOLS",
                                  "WM_DELETE_WINDOW",
                                  "_NET_WM_NAME",
                                  "UTF8_STRING",
                                  "_NET_WM_PID",
                                  "_NET_FRAME_EXTENTS",
                                  "_NET_REQUEST_FRAME_EXTENTS",
                                  "_NET_SUPPORTED",
                                  "_NET_WM_ICON"};
static_assert(std::size(kAtomNames) == kAtomCount);
Atom atoms[kAtomCount];

std::string displayName() {
  const char* name = XDisplayName(nullptr);
  return name != nullptr ? name : "";
}

// Xlib's default handling of a broken connection prints several lines and
// exits. Here the connection is marked lost instead, Xlib turns every later
// call into a no-op, and the message loop ends with an error.
int quietIOError(Display*) {
  return 0;
}
void markConnectionLost(Display*, void*) {
  connectionLost = true;
}

bool openDisplay(std::string& error) {
  if (display != nullptr) return true;
  if (displayName().empty()) {
    error = "no X display: DISPLAY is not set";
    return false;
  }
  display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    error = "cannot open X display '" + displayName() + "'";
    return false;
  }
  XSetIOErrorHandler(quietIOError);
  XSetIOErrorExitHandler(display, markConnectionLost, nullptr);
  const Visual* visual = DefaultVisual(display, DefaultScreen(display));
  if (DefaultDepth(display, DefaultScreen(display)) < 24 || visual->red_mask != 0xFF0000 ||
      visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF) {
    error = "X display '" + displayName() + "' is not a 24-bit true-colour display";
    XCloseDisplay(display);
    display = nullptr;
    return false;
  }
  XInternAtoms(display, const_cast<char**>(kAtomNames), kAtomCount, False, atoms);
  return true;
}

X11Window* findX11(HWND hwnd) {
  for (X11Window& w : xwindows) {
    if (w.hwnd == hwnd) return &w;
  }
  return nullptr;
}

X11Window* findX11(::Window id) {
  for (X11Window& w : xwindows) {
    if (w.id == id) return &w;
  }
  return nullptr;
}

// Captions are 8-bit text in the Windows code page; Latin-1 is close enough.
std::string latin1ToUtf8(const char* text) {
  std::string utf8;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c != 0; ++c) {
    if (*c < 0x80) {
      utf8 += static_cast<char>(*c);
    } else {
      utf8 += static_cast<char>(0xC0 | *c >> 6);
      utf8 += static_cast<char>(0x80 | (*c & 0x3F));
    }
  }
  return utf8;
}

bool windowManagerSupports(Atom feature) {
  Atom type;
  int format;
  unsigned long count, remaining;
  unsigned char* data = nullptr;
  bool found = false;
  if (XGetWindowProperty(display, DefaultRootWindow(display), atoms[kNetSupported], 0, 4096, False,
                         XA_ATOM, &type, &format, &count, &remaining, &data) == Success &&
      data != nullptr) {
    const Atom* supported = reinterpret_cast<const Atom*>(data);
    found = std::find(supported, supported + count, feature) != supported + count;
  }
  if (data != nullptr) XFree(data);
  return found;
}

// _NET_WM_ICON holds each size as width, height and ARGB pixels, every value
// in a long, as Xlib passes 32-bit properties.
void setIcon(::Window id) {
  std::vector<long> data;
  for (const int size : {16, 32, 48}) {
    data.push_back(size);
    data.push_back(size);
    for (const std::uint32_t pixel : stockApplicationIcon(size))
      data.push_back(pixel);
  }
  XChangeProperty(display, id, atoms[kNetWmIcon], XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(data.data()),
                  static_cast<int>(data.size()));
}

void present(HWND hwnd) {
  const X11Window* w = findX11(hwnd);
  if (w == nullptr || hwnd->width == 0 || hwnd->height == 0 || connectionLost) return;
  const int screen = DefaultScreen(display);
  XImage* image = XCreateImage(
      display, DefaultVisual(display, screen), static_cast<unsigned>(DefaultDepth(display, screen)),
      ZPixmap, 0, reinterpret_cast<char*>(hwnd->pixels.data()), static_cast<unsigned>(hwnd->width),
      static_cast<unsigned>(hwnd->height), 32, hwnd->width * 4);
  if (image == nullptr) return;
  XPutImage(display, w->id, w->gc, image, 0, 0, 0, 0, static_cast<unsigned>(hwnd->width),
            static_cast<unsigned>(hwnd->height));
  image->data = nullptr;  // the pixels belong to the surface
  XDestroyImage(image);
  XFlush(display);
}

// Once the window manager says how thick its frame is, the client area
// shrinks by it, so that the outer size is the one asked for.
void fitToFrame(X11Window& w) {
  Atom type;
  int format;
  unsigned long count, remaining;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, w.id, atoms[kNetFrameExtents], 0, 4, False, XA_CARDINAL, &type,
                         &format, &count, &remaining, &data) == Success &&
      data != nullptr && count == 4 && format == 32 && !w.fitted) {
    const long* extents = reinterpret_cast<const long*>(data);  // left, right, top, bottom
    const long width = std::max(1L, w.outerWidth - extents[0] - extents[1]);
    const long height = std::max(1L, w.outerHeight - extents[2] - extents[3]);
    XResizeWindow(display, w.id, static_cast<unsigned>(width), static_cast<unsigned>(height));
    w.fitted = true;
  }
  if (data != nullptr) XFree(data);
}

void handle(const XEvent& event) {
  X11Window* w = findX11(event.xany.window);
  if (w == nullptr) return;
  switch (event.type) {
    case Expose: {
      const XExposeEvent& e = event.xexpose;
      windowExposed(w->hwnd, RECT{e.x, e.y, e.x + e.width, e.y + e.height});
      break;
    }
    case ConfigureNotify:
      windowResized(w->hwnd, event.xconfigure.width, event.xconfigure.height);
      break;
    case ClientMessage:
      if (event.xclient.message_type == atoms[kWmProtocols] &&
          static_cast<Atom>(event.xclient.data.l[0]) == atoms[kWmDeleteWindow]) {
        windowCloseRequested(w->hwnd);
      }
      break;
    case PropertyNotify:
      if (event.xproperty.atom == atoms[kNetFrameExtents]) fitToFrame(*w);
      break;
    default:
      break;
  }
}

bool lost(std::string& error) {
  error = "lost the connection to X display '" + displayName() + "'";
  return false;
}

bool createWindow(HWND hwnd, const char* className, const char* caption, bool stockIcon,
                  std::string& error) {
  if (!openDisplay(error)) return false;
  const int screen = DefaultScreen(display);
  XSetWindowAttributes attributes = {};
  attributes.background_pixel = hwnd->background;  // shown before the first paint
  attributes.bit_gravity = NorthWestGravity;       // enlarging keeps the picture in place
  attributes.event_mask = ExposureMask | StructureNotifyMask | PropertyChangeMask;
  const ::Window id = XCreateWindow(
      display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(hwnd->width),
      static_cast<unsigned>(hwnd->height), 0, DefaultDepth(display, screen), InputOutput,
      DefaultVisual(display, screen), CWBackPixel | CWBitGravity | CWEventMask, &attributes);

  XStoreName(display, id, caption);
  const std::string utf8 = latin1ToUtf8(caption);
  XChangeProperty(display, id, atoms[kNetWmName], atoms[kUtf8String], 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()),
                  static_cast<int>(utf8.size()));
  std::string classText = className;
  XClassHint classHint = {classText.data(), classText.data()};
  XSetClassHint(display, id, &classHint);
  XSetWMProtocols(display, id, &atoms[kWmDeleteWindow], 1);
  if (stockIcon) setIcon(id);
  const long pid = getpid();
  XChangeProperty(display, id, atoms[kNetWmPid], XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);

  xwindows.push_back(
      {hwnd, id, XCreateGC(display, id, 0, nullptr), hwnd->width, hwnd->height, false});
  hwnd->present = present;
  if (windowManagerSupports(atoms[kNetRequestFrameExtents])) {
    XEvent request = {};
    request.xclient.type = ClientMessage;
    request.xclient.window = id;
    request.xclient.message_type = atoms[kNetRequestFrameExtents];
    request.xclient.format = 32;
    XSendEvent(display, RootWindow(display, screen), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &request);
  }
  XFlush(display);
  return true;
}

void showWindow(HWND hwnd, bool visible) {
  const X11Window* w = findX11(hwnd);
  if (w == nullptr) return;
  if (visible) {
    XMapWindow(display, w->id);
  } else {
    XUnmapWindow(display, w->id);
  }
  XFlush(display);
}

void destroyWindow(HWND hwnd) {
  const X11Window* w = findX11(hwnd);
  if (w == nullptr) return;
  XFreeGC(display, w->gc);
  XDestroyWindow(display, w->id);
  XFlush(display);
  hwnd->present = nullptr;
  std::erase_if(xwindows, [hwnd](const X11Window& x) { return x.hwnd == hwnd; });
}

bool pumpEvents(bool wait, std::string& error) {
  if (display == nullptr) {
    if (!wait) return true;
    error = "no window to wait for";
    return false;
  }
  if (connectionLost) return lost(error);
  bool handled = false;
  for (;;) {
    while (XPending(display) > 0 && !connectionLost) {
      XEvent event;
      XNextEvent(display, &event);
      handle(event);
      handled = true;
    }
    if (connectionLost) return lost(error);
    if (handled || !wait) return true;
    pollfd connection = {ConnectionNumber(display), POLLIN, 0};
    poll(&connection, 1, -1);
    // A hang-up or error shows itself to Xlib's next read as a lost connection.
  }
}

void shutdown() {
  if (display == nullptr) return;
  for (const X11Window& w : xwindows) {
    XFreeGC(display, w.gc);
    XDestroyWindow(display, w.id);
  }
  xwindows.clear();
  // Safe after a lost connection too: Xlib then only frees what it holds.
  XCloseDisplay(display);
  display = nullptr;
}

}  // namespace

const Backend x11Backend = {createWindow, showWindow, destroyWindow, pumpEvents, shutdown};
