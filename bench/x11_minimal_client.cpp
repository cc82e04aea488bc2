// The least an X11 client can do: put a ready picture (554 x 554 0x00RRGGBB) on the first exposure.
//   x11-minimal-client PICTURE_FILE

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  constexpr int kSize = 554;
  std::vector<std::uint32_t> picture(kSize * kSize);
  std::FILE* file = argc > 1 ? std::fopen(argv[1], "rb") : nullptr;
  Display* display = XOpenDisplay(nullptr);
  if (file == nullptr || display == nullptr ||
      std::fread(picture.data(), 4, picture.size(), file) != picture.size())
    return 1;
  const int screen = DefaultScreen(display);
  const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, kSize,
                                            kSize, 0, 0, BlackPixel(display, screen));
  const long pid = getpid();  // by which the benchmark finds the window
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
  Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, window, &deleteWindow, 1);
  XSelectInput(display, window, ExposureMask);
  XMapWindow(display, window);
  XImage* image = XCreateImage(display, DefaultVisual(display, screen), 24, ZPixmap, 0,
                               reinterpret_cast<char*>(picture.data()), kSize, kSize, 32, 0);
  for (XEvent event = {}; event.type != ClientMessage;) {
    XNextEvent(display, &event);
    if (event.type == Expose && event.xexpose.count == 0)
      XPutImage(display, window, DefaultGC(display, screen), image, 0, 0, 0, 0, kSize, kSize);
  }
}
