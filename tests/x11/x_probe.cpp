// A small X client for the tests.
//   x_probe close WINDOW  asks the window to close, as a window manager does
//   x_probe expose WINDOW X Y W H
//                         clears that part of the window, which exposes it
//   x_probe frames [L R T B]
//                         prints "ready", then until killed "size ID W H" for
//                         every size a top-level window takes, border
//                         included, "map ID" when one is mapped, "create"
//                         when one is made, and "request" when a window asks
//                         a manager for something; given frame extents, it
//                         answers a request for them as a manager does
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (argc < 2 || display == nullptr) return 2;
  if (std::string(argv[1]) == "close" && argc == 3) {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::strtoul(argv[2], nullptr, 0);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
  } else if (std::string(argv[1]) == "expose" && argc == 7) {
    XClearArea(display, std::strtoul(argv[2], nullptr, 0), std::atoi(argv[3]), std::atoi(argv[4]),
               std::atoi(argv[5]), std::atoi(argv[6]), True);
  } else if (std::string(argv[1]) == "frames") {
    long frame[4] = {};
    for (int i = 0; i < 4 && argc == 6; ++i)
      frame[i] = std::atol(argv[2 + i]);
    const Atom request = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    std::printf("ready\n");
    for (XEvent event;;) {
      std::fflush(stdout);
      XNextEvent(display, &event);
      if (event.type == MapNotify) std::printf("map 0x%lx\n", event.xmap.window);
      if (event.type == CreateNotify || event.type == ClientMessage)
        std::printf(event.type == CreateNotify ? "create\n" : "request\n");
      if (event.type == ClientMessage && argc == 6 && event.xclient.format == 32 &&
          event.xclient.message_type == request)
        XChangeProperty(display, event.xclient.window, extents, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(frame), 4);
      if (event.type != ConfigureNotify) continue;
      const XConfigureEvent& c = event.xconfigure;
      std::printf("size 0x%lx %d %d\n", c.window, c.width + 2 * c.border_width,
                  c.height + 2 * c.border_width);
    }
  }
  XCloseDisplay(display);
}
