// The windowing layer's backend for X11, through Xlib: one top-level X window
// per window, its client area put on the screen from the window's surface,
// and X events turned into the layer's exposures, resizes, close requests and
// destructions.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <vector>

#include "render/gdi/window_surface.h"
#include "shell/windowing/backend.h"
#include "shell/windowing/stock_icon.h"
#include "shell/windowing/x11_visual.h"

namespace {

struct Size {
  int width, height;
  bool operator==(const Size&) const = default;
};

struct X11Window {
  HWND hwnd;
  ::Window id;
  GC gc;
  Size outer;  // wanted, frame included
  // The client size last asked for, and the one before while its answer may
  // still be on the way: any other size comes from the user.
  Size asked, previous;
  bool userSized = false;  // from then on the frame's extents no longer count
};

Display* display = nullptr;
bool connectionLost = false;
std::string protocolError;  // the first X error that was not expected
PixelFormat pixelFormat;
Colormap colormap = 0;  // ours, when the visual is not the default one
std::vector<X11Window> xwindows;
std::vector<::Window> everCreated;  // errors about these, once gone, are expected
std::vector<char> scratch;          // converted pixels on their way to the server

constexpr Size kNoSize = {-1, -1};
// A manager that answers at all does so within milliseconds; the margin is
// for a desktop so loaded that the manager waits its turn for the processor.
constexpr auto kFrameExtentsWait = std::chrono::seconds(1);

enum AtomName {
  kWmProtocols,
  kWmDeleteWindow,
  kNetWmName,
  kNetWmIconName,
  kUtf8String,
  kNetWmPid,
  kNetFrameExtents,
  kNetRequestFrameExtents,
  kNetSupported,
  kNetWmIcon,
  kAtomCount
};
const char* const kAtomNames[] = {
    "WM_PROTOCOLS",   "WM_DELETE_WINDOW", "_NET_WM_NAME",       "_NET_WM_ICON_NAME",
    "UTF8_STRING",    "_NET_WM_PID",      "_NET_FRAME_EXTENTS", "_NET_REQUEST_FRAME_EXTENTS",
    "_NET_SUPPORTED", "_NET_WM_ICON"};
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

// Requests still on their way when a window is destroyed, by us or by another
// client, fail with BadWindow or BadDrawable naming it; that is expected. Any
// other error is recorded, in one line, and ends the message loop, instead of
// Xlib's default of printing several lines and exiting on the spot.
int recordError(Display* d, XErrorEvent* e) {
  const bool ours =
      std::find(everCreated.begin(), everCreated.end(), e->resourceid) != everCreated.end();
  if ((ours && (e->error_code == BadWindow || e->error_code == BadDrawable)) ||
      !protocolError.empty()) {
    return 0;
  }
  char text[160], request[80];
  XGetErrorText(d, e->error_code, text, sizeof text);
  const std::string code = std::to_string(e->request_code);
  XGetErrorDatabaseText(d, "XRequest", code.c_str(), code.c_str(), request, sizeof request);
  protocolError = "X error on display '" + displayName() + "': " + text + " in request " + request;
  return 0;
}

bool connect(std::string& error) {
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
  XSetErrorHandler(recordError);
  const int screen = DefaultScreen(display);
  if (!choosePixelFormat(display, screen, pixelFormat, error)) {
    error = "X display '" + displayName() + "': " + error;
    XCloseDisplay(display);
    display = nullptr;
    return false;
  }
  if (pixelFormat.visual != DefaultVisual(display, screen)) {
    colormap = XCreateColormap(display, RootWindow(display, screen), pixelFormat.visual, AllocNone);
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

// Lets go of what the backend holds for a window whose X window is gone or
// about to go.
void forget(HWND hwnd) {
  const X11Window* w = findX11(hwnd);
  if (w == nullptr) return;
  XFreeGC(display, w->gc);
  hwnd->present = nullptr;
  std::erase_if(xwindows, [hwnd](const X11Window& x) { return x.hwnd == hwnd; });
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

// The program's own command line, for WM_COMMAND, which lets a session
// manager start it again; empty where the system does not show it.
std::vector<std::string> commandLine() {
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  std::vector<std::string> arguments;
  std::string argument;
  while (std::getline(file, argument, '\0'))
    arguments.push_back(argument);
  return arguments;
}

// The ICCCM properties, set together the standard way: names, size and
// window manager hints, class, command and client machine.
void setWmProperties(::Window id, const char* caption, const char* className, Size size) {
  char* name = const_cast<char*>(caption);
  XTextProperty text = {};
  XStringListToTextProperty(&name, 1, &text);
  XSizeHints sizeHints = {};
  sizeHints.flags = PSize | PWinGravity;
  sizeHints.width = size.width;
  sizeHints.height = size.height;
  sizeHints.win_gravity = NorthWestGravity;
  XWMHints wmHints = {};
  wmHints.flags = InputHint | StateHint;
  wmHints.input = True;
  wmHints.initial_state = NormalState;
  std::string classText = className;
  XClassHint classHint = {classText.data(), classText.data()};
  std::vector<std::string> arguments = commandLine();
  std::vector<char*> argv;
  for (std::string& a : arguments)
    argv.push_back(a.data());
  XSetWMProperties(display, id, &text, &text, argv.data(), static_cast<int>(argv.size()),
                   &sizeHints, &wmHints, &classHint);
  if (text.value != nullptr) XFree(text.value);

  const std::string utf8 = latin1ToUtf8(caption);
  for (const AtomName property : {kNetWmName, kNetWmIconName}) {
    XChangeProperty(display, id, atoms[property], atoms[kUtf8String], 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()),
                    static_cast<int>(utf8.size()));
  }
  const long pid = getpid();
  XChangeProperty(display, id, atoms[kNetWmPid], XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
}

void present(HWND hwnd) {
  const X11Window* w = findX11(hwnd);
  const RECT area = takeDamage(hwnd);
  if (w == nullptr || connectionLost || area.left >= area.right) return;
  putPixels(display, w->id, w->gc, pixelFormat, *hwnd, area, scratch);
  XFlush(display);
}

// Sizes the client area so that the outer size is the one asked for, frame
// included, whenever the window manager says how thick its frame is (again):
// managers publish the extents late, change them, or are replaced. A window
// the user has resized keeps the user's size.
void fitToFrame(X11Window& w) {
  Atom type;
  int format;
  unsigned long count, remaining;
  unsigned char* data = nullptr;
  long extents[4] = {0, 0, 0, 0};  // left, right, top, bottom; none without a manager
  if (XGetWindowProperty(display, w.id, atoms[kNetFrameExtents], 0, 4, False, XA_CARDINAL, &type,
                         &format, &count, &remaining, &data) == Success &&
      data != nullptr && count == 4 && format == 32) {
    std::copy_n(reinterpret_cast<const long*>(data), 4, extents);
  }
  if (data != nullptr) XFree(data);
  const Size client = {
      static_cast<int>(std::clamp(w.outer.width - extents[0] - extents[1], 1L, 32767L)),
      static_cast<int>(std::clamp(w.outer.height - extents[2] - extents[3], 1L, 32767L))};
  if (w.userSized || client == w.asked) return;
  w.previous = w.asked;
  w.asked = client;
  XResizeWindow(display, w.id, static_cast<unsigned>(client.width),
                static_cast<unsigned>(client.height));
}

void configured(X11Window& w, Size size) {
  if (size != w.asked && size != w.previous) w.userSized = true;
  if (size == w.asked) w.previous = kNoSize;
  windowResized(w.hwnd, size.width, size.height);
}

void handle(const XEvent& event) {
  X11Window* w = findX11(event.xany.window);
  if (w == nullptr) return;
  switch (event.type) {
    case Expose: {
      const XExposeEvent& e = event.xexpose;
      const RECT area = {e.x, e.y, e.x + e.width, e.y + e.height};
      // What the server lost goes to the screen again even where the next
      // paint changes nothing.
      addDamage(w->hwnd, area);
      windowExposed(w->hwnd, area);
      break;
    }
    case ConfigureNotify:
      configured(*w, {event.xconfigure.width, event.xconfigure.height});
      break;
    case DestroyNotify: {
      // Another client destroyed the window: as on Windows, the program hears
      // of it as WM_DESTROY.
      const HWND hwnd = w->hwnd;
      forget(hwnd);
      windowDestroyed(hwnd);
      break;
    }
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

Bool isFrameExtentsOf(Display*, XEvent* event, XPointer window) {
  return event->type == PropertyNotify &&
         event->xproperty.window == *reinterpret_cast<const ::Window*>(window) &&
         event->xproperty.atom == atoms[kNetFrameExtents];
}

// Asks the window manager for the frame's extents before the window is shown
// and waits for the answer, so that the window appears at its final size
// rather than jumping to it. Managers that don't know the request are not
// asked: they publish the extents as they frame the window, and the client
// area follows as soon as the program hears of them.
void awaitFrameExtents(X11Window& w) {
  if (!windowManagerSupports(atoms[kNetRequestFrameExtents])) return;
  XEvent request = {};
  request.xclient.type = ClientMessage;
  request.xclient.window = w.id;
  request.xclient.message_type = atoms[kNetRequestFrameExtents];
  request.xclient.format = 32;
  XSendEvent(display, DefaultRootWindow(display), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &request);
  const auto deadline = std::chrono::steady_clock::now() + kFrameExtentsWait;
  XEvent answer;
  while (!connectionLost) {
    if (XCheckIfEvent(display, &answer, isFrameExtentsOf, reinterpret_cast<XPointer>(&w.id))) {
      fitToFrame(w);
      return;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    pollfd connection = {ConnectionNumber(display), POLLIN, 0};
    poll(&connection, 1, static_cast<int>(left.count()) + 1);
  }
}

bool lost(std::string& error) {
  error = "lost the connection to X display '" + displayName() + "'";
  return false;
}

bool createWindow(HWND hwnd, const char* className, const char* caption, bool stockIcon,
                  std::string& error) {
  const int screen = DefaultScreen(display);
  XSetWindowAttributes attributes = {};
  attributes.background_pixel =
      devicePixel(pixelFormat, hwnd->background);  // shown before the first paint
  attributes.border_pixel = 0;
  attributes.bit_gravity = NorthWestGravity;  // enlarging keeps the picture in place
  // The server keeps what is covered, where it can, so uncovering costs no
  // paint.
  attributes.backing_store = WhenMapped;
  attributes.colormap = colormap;
  attributes.event_mask = ExposureMask | StructureNotifyMask | PropertyChangeMask;
  const unsigned long mask = CWBackPixel | CWBorderPixel | CWBitGravity | CWBackingStore |
                             CWEventMask | (colormap != 0 ? CWColormap : 0);
  const Size size = {hwnd->width, hwnd->height};
  const ::Window id =
      XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(size.width),
                    static_cast<unsigned>(size.height), 0, pixelFormat.depth, InputOutput,
                    pixelFormat.visual, mask, &attributes);
  everCreated.push_back(id);
  setWmProperties(id, caption, className, size);
  XSetWMProtocols(display, id, &atoms[kWmDeleteWindow], 1);
  if (stockIcon) setIcon(id);

  X11Window& w = xwindows.emplace_back(
      X11Window{hwnd, id, XCreateGC(display, id, 0, nullptr), size, size, kNoSize});
  hwnd->present = present;
  awaitFrameExtents(w);
  XSync(display, False);
  if (connectionLost) return lost(error);
  if (!protocolError.empty()) {
    error = protocolError;
    forget(hwnd);
    return false;
  }
  return true;
}

void showWindow(HWND hwnd) {
  const X11Window* w = findX11(hwnd);
  if (w == nullptr) return;
  XMapWindow(display, w->id);
  XFlush(display);
}

void destroyWindow(HWND hwnd) {
  const X11Window* w = findX11(hwnd);
  if (w == nullptr) return;
  XDestroyWindow(display, w->id);
  forget(hwnd);
  XFlush(display);
}

bool pumpEvents(bool wait, std::string& error) {
  if (display == nullptr) {
    if (!wait) return true;
    error = "no window to wait for";
    return false;
  }
  bool handled = false;
  for (;;) {
    while (XPending(display) > 0 && !connectionLost && protocolError.empty()) {
      XEvent event;
      XNextEvent(display, &event);
      handle(event);
      handled = true;
    }
    if (connectionLost) return lost(error);
    if (!protocolError.empty()) {
      error = protocolError;
      return false;
    }
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
  if (colormap != 0) XFreeColormap(display, colormap);
  colormap = 0;
  // Safe after a lost connection too: Xlib then only frees what it holds.
  XCloseDisplay(display);
  display = nullptr;
}

}  // namespace

const Backend x11Backend = {"x11",         connect,    createWindow, showWindow,
                            destroyWindow, pumpEvents, shutdown};
