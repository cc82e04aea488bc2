// Before X11's headers, whose macros would rename parts of them.
#include "fractal/escape_test.h"
#include "render/fractal_renderer.h"
#include "render/gdi/window_surface.h"

#include "bench/harness.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>

double nowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

bool waitFor(int timeoutMs, const std::function<bool()>& done) {
  for (const double deadline = nowMs() + timeoutMs; !done(); sleepMs(2))
    if (nowMs() >= deadline) return false;
  return true;
}

double median(std::vector<double> v) {
  std::ranges::sort(v);
  return v.empty() ? 0 : (v[(v.size() - 1) / 2] + v[v.size() / 2]) / 2;
}

pid_t spawn(const Strings& argv, const Strings& env, int errFd) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  setsid();  // a group of its own, which reap() ends whole
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  const int devnull = open("/dev/null", O_RDWR);
  for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
    dup2(fd == STDERR_FILENO && errFd >= 0 ? errFd : devnull, fd);
  std::vector<char*> args;
  for (const std::string& e : env)
    putenv(const_cast<char*>(e.c_str()));
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

double reap(pid_t pid, int timeoutMs) {
  rusage usage = {};
  if (!waitFor(timeoutMs, [&] { return wait4(pid, nullptr, WNOHANG, &usage) == pid; }))
    kill(-pid, SIGKILL), wait4(pid, nullptr, 0, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024;
}

double cpuSeconds(pid_t pid) {
  unsigned long user = 0, system = 0;
  if (std::FILE* stat = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r")) {
    std::fscanf(stat, "%*d %*s %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user,
                &system);
    std::fclose(stat);
  }
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void record(Series& series, pid_t pid, double ms, const std::function<double()>& end) {
  const double before = cpuSeconds(pid);
  if (ms >= 0 && series.startMs.empty())
    sleepMs(5000), series.idlePercent = (cpuSeconds(pid) - before) * 20;
  const double peakMb = end();
  if (ms >= 0) series.startMs.push_back(ms), series.peakMb.push_back(peakMb);
}

void print(const char* what, const Series& series, const Series& yardstick) {
  const double ms = median(series.startMs);
  std::printf(
      "%-30s start to picture %6.1f ms (%zu runs), %.2f x the yardstick; idle %.2f %% "
      "of a core; peak memory %.1f MB\n",
      what, ms, series.startMs.size(), ms / median(yardstick.startMs), series.idlePercent,
      median(series.peakMb));
}

const std::vector<std::uint32_t>& picture() {
  static const std::vector<std::uint32_t> pixels = [] {
    HWND__ window = makeOffscreenWindow(kGridSize, kGridSize, RGB(0, 0, 0));
    DrawFractal(&window);
    return window.pixels;
  }();
  return pixels;
}

XServer startXvfb(const Strings& options) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  Strings argv = {"Xvfb",      "-displayfd", std::to_string(fds[1]),
                  "-screen",   "0",          "1280x1024x24",
                  "-nolisten", "tcp",        "-noreset"};
  argv.insert(argv.end(), options.begin(), options.end());
  XServer server = {spawn(argv), ""};
  close(fds[1]);
  // Xvfb writes the display number once it takes clients, or ends.
  char number[16] = {};
  if (read(fds[0], number, sizeof number - 1) > 0) {
    server.display = ":" + std::to_string(std::atoi(number));
    server.x = XOpenDisplay(server.display.c_str());
    // Windows come and go while the tree is searched: what vanished is no error.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  close(fds[0]);
  return server;
}

void stopXvfb(const XServer& server) {
  if (server.x != nullptr) XCloseDisplay(server.x);
  if (server.pid > 0) kill(server.pid, SIGTERM), reap(server.pid, 5000);
}

// The viewable top-level window of the process (_NET_WM_PID), in a frame or not.
static ::Window windowOf(Display* x, pid_t pid, ::Window parent = 0) {
  ::Window root, up, *children = nullptr, found = 0;
  unsigned count = 0;
  XQueryTree(x, parent != 0 ? parent : DefaultRootWindow(x), &root, &up, &children, &count);
  for (unsigned i = 0; i < count && found == 0; ++i) {
    XTextProperty owner = {};
    XWindowAttributes attributes;
    if (XGetTextProperty(x, children[i], &owner, XInternAtom(x, "_NET_WM_PID", False)) &&
        owner.nitems == 1 && *reinterpret_cast<long*>(owner.value) == pid &&
        XGetWindowAttributes(x, children[i], &attributes) && attributes.map_state == IsViewable)
      found = children[i];
    else if (parent == 0)
      found = windowOf(x, pid, children[i]);
    XFree(owner.value);
  }
  XFree(children);
  return found;
}

Shown show(const XServer& server, const Strings& argv, const Strings& env, int timeoutMs) {
  Strings all = env;
  all.insert(all.end(), {"DISPLAY=" + server.display, "MANDELBROT_BACKEND=x11"});
  Shown shown = {spawn(argv, all)};
  if (!waitFor(timeoutMs, [&] { return (shown.window = windowOf(server.x, shown.pid)) != 0; }) ||
      !showsPicture(server, shown, timeoutMs))
    shown.window = 0;
  return shown;
}

bool showsPicture(const XServer& server, const Shown& shown, int timeoutMs) {
  XWindowAttributes size;
  if (!XGetWindowAttributes(server.x, shown.window, &size)) return false;
  const int width = std::min(size.width, kGridSize), height = std::min(size.height, kGridSize);
  return waitFor(timeoutMs, [&] {
    XImage* image = XGetImage(server.x, shown.window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    bool same = image != nullptr;
    for (int i = 0; i < width * height && same; ++i)
      same = (XGetPixel(image, i % width, i / width) & 0xFFFFFF) ==
             picture()[i / width * kGridSize + i % width];
    if (image != nullptr) XDestroyImage(image);
    return same;
  });
}

bool timeRun(const XServer& server, const Strings& argv, const Strings& env, Series& series) {
  const double start = nowMs();
  const Shown shown = show(server, argv, env, 30000);
  record(series, shown.pid, shown.window != 0 ? nowMs() - start : -1, [&] {
    XEvent close = {ClientMessage};
    close.xclient.window = shown.window;
    close.xclient.format = 32;
    close.xclient.message_type = XInternAtom(server.x, "WM_PROTOCOLS", False);
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(server.x, "WM_DELETE_WINDOW", False));
    if (shown.window != 0) XSendEvent(server.x, shown.window, False, 0, &close), XFlush(server.x);
    return reap(shown.pid, shown.window != 0 ? 10000 : 0);
  });
  return shown.window != 0;
}
