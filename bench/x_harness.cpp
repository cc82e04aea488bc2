#include "bench/x_harness.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

void sleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

double nowMs() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::optional<XServer> startXServer() {
  return startXServer({});
}

std::optional<XServer> startXServer(const std::vector<std::string>& options) {
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlive the test
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, STDIN_FILENO);
    dup2(devnull, STDOUT_FILENO);
    dup2(devnull, STDERR_FILENO);
    std::vector<std::string> arguments = {"Xvfb",      "-displayfd", std::to_string(fds[1]),
                                          "-screen",   "0",          "1280x1024x24",
                                          "-nolisten", "tcp",        "-noreset"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& a : arguments)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp("Xvfb", argv.data());
    _exit(127);
  }
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    return std::nullopt;
  }
  // Xvfb writes the display number once it is ready for clients.
  std::string number;
  pollfd ready = {fds[0], POLLIN, 0};
  const double deadline = nowMs() + 10000;
  while (nowMs() < deadline && poll(&ready, 1, 100) >= 0) {
    char c;
    if ((ready.revents & (POLLIN | POLLHUP)) == 0) continue;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return std::nullopt;
  }
  return XServer{pid, ":" + number};
}

void stopXServer(XServer& server) {
  if (server.pid <= 0) return;
  kill(server.pid, SIGTERM);
  waitpid(server.pid, nullptr, 0);
  server.pid = -1;
}

Child startProgram(const std::string& path, const std::vector<std::string>& arguments,
                   const std::string& display) {
  char errTemplate[] = "/tmp/mandelbrot-stderr-XXXXXX";
  const int errFd = mkstemp(errTemplate);
  unlink(errTemplate);
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // Nothing of the child may hold the test runner's output open.
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, STDIN_FILENO);
    dup2(devnull, STDOUT_FILENO);
    dup2(errFd, STDERR_FILENO);
    // The X11 backend even inside a Wayland session.
    setenv("MANDELBROT_BACKEND", "x11", 1);
    if (display.empty()) {
      unsetenv("DISPLAY");
    } else {
      setenv("DISPLAY", display.c_str(), 1);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : arguments)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  return Child{pid, errFd};
}

std::optional<int> waitForExit(Child& child, int timeoutMs) {
  const double deadline = nowMs() + timeoutMs;
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(child.pid, &status, WNOHANG);
    if (done == child.pid) {
      child.pid = -1;
      return status;
    }
    if (done < 0 || nowMs() > deadline) return std::nullopt;
    sleepMs(5);
  }
}

std::string readStderr(Child& child) {
  std::string text;
  lseek(child.stderrFd, 0, SEEK_SET);
  char buffer[4096];
  ssize_t n;
  while ((n = read(child.stderrFd, buffer, sizeof buffer)) > 0)
    text.append(buffer, n);
  return text;
}

double cpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  // Fields after the command name, which is in parentheses: utime is the
  // 12th of them and stime the 13th.
  std::istringstream rest(line.substr(line.rfind(')') + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 1; i <= 13 && rest >> field; ++i) {
    if (i == 12) utime = std::stol(field);
    if (i == 13) stime = std::stol(field);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long peakResidentKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  long value = -1;
  while (status >> key) {
    if (key == "VmHWM:") {
      status >> value;
      break;
    }
  }
  return value;
}

namespace {

bool ownedBy(Display* display, ::Window window, Atom netWmPid, pid_t pid) {
  Atom type;
  int format;
  unsigned long items, remaining;
  unsigned char* data = nullptr;
  const bool owned = XGetWindowProperty(display, window, netWmPid, 0, 1, False, XA_CARDINAL, &type,
                                        &format, &items, &remaining, &data) == Success &&
                     data != nullptr && items == 1 && *reinterpret_cast<long*>(data) == pid;
  if (data != nullptr) XFree(data);
  return owned;
}

// Depth-first, since a window manager puts top-level windows into frames.
::Window findOwned(Display* display, ::Window under, Atom netWmPid, pid_t pid) {
  ::Window root, parent, *children = nullptr;
  unsigned count = 0;
  ::Window found = 0;
  if (XQueryTree(display, under, &root, &parent, &children, &count)) {
    for (unsigned i = 0; i < count && found == 0; ++i) {
      XWindowAttributes attributes;
      if (ownedBy(display, children[i], netWmPid, pid) &&
          XGetWindowAttributes(display, children[i], &attributes) &&
          attributes.map_state == IsViewable) {
        found = children[i];
      } else {
        found = findOwned(display, children[i], netWmPid, pid);
      }
    }
    if (children != nullptr) XFree(children);
  }
  return found;
}

}  // namespace

::Window findWindowOf(Display* display, pid_t pid, int timeoutMs) {
  const Atom netWmPid = XInternAtom(display, "_NET_WM_PID", False);
  const double deadline = nowMs() + timeoutMs;
  do {
    if (const ::Window found = findOwned(display, DefaultRootWindow(display), netWmPid, pid)) {
      return found;
    }
    sleepMs(2);
  } while (nowMs() < deadline);
  return 0;
}

std::vector<std::uint32_t> readClientArea(Display* display, ::Window window, int width,
                                          int height) {
  std::vector<std::uint32_t> pixels;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return pixels;
  pixels.reserve(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF));
    }
  }
  XDestroyImage(image);
  return pixels;
}

bool waitForPixels(Display* display, ::Window window, const std::vector<std::uint32_t>& expected,
                   int expectedWidth, int width, int height, int timeoutMs) {
  const double deadline = nowMs() + timeoutMs;
  do {
    const std::vector<std::uint32_t> got = readClientArea(display, window, width, height);
    bool same = !got.empty();
    for (int y = 0; y < height && same; ++y) {
      for (int x = 0; x < width && same; ++x) {
        same = got[static_cast<std::size_t>(y) * width + x] ==
               expected[static_cast<std::size_t>(y) * expectedWidth + x];
      }
    }
    if (same) return true;
    sleepMs(2);
  } while (nowMs() < deadline);
  return false;
}

std::string textProperty(Display* display, ::Window window, const char* name) {
  XTextProperty property = {};
  std::string text;
  if (XGetTextProperty(display, window, &property, XInternAtom(display, name, False)) &&
      property.value != nullptr) {
    text.assign(reinterpret_cast<char*>(property.value), property.nitems);
  }
  if (property.value != nullptr) XFree(property.value);
  return text;
}

void requestClose(Display* display, ::Window window) {
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
}
