#pragma once

// Helpers for tests and benchmarks that run the real program against a real X
// server: a private Xvfb, child processes, and an X client that finds the
// program's window, reads its client area back and asks it to close.

#include <X11/Xlib.h>
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// An Xvfb at depth 24 on a display number it picks itself (-displayfd), so
// tests never collide with another server.
struct XServer {
  pid_t pid = -1;
  std::string display;  // ":N"
};

// Starts the server and waits until it accepts connections; empty on failure.
std::optional<XServer> startXServer();
// The same with more Xvfb options, such as "+bs" for backing store.
std::optional<XServer> startXServer(const std::vector<std::string>& options);
void stopXServer(XServer& server);

struct Child {
  pid_t pid = -1;
  int stderrFd = -1;  // the child's standard error, to read once it ended
};

// Starts a program with the given arguments and DISPLAY (unset when empty).
Child startProgram(const std::string& path, const std::vector<std::string>& arguments,
                   const std::string& display);

// The exit status (as waitpid gives it) once the child ends, or empty when it
// is still running after timeoutMs.
std::optional<int> waitForExit(Child& child, int timeoutMs);

// What the child wrote to its standard error.
std::string readStderr(Child& child);

// Seconds of CPU the process has used so far.
double cpuSeconds(pid_t pid);

// Peak resident memory of the process in kB.
long peakResidentKb(pid_t pid);

// The viewable top-level window of the process (by _NET_WM_PID), framed by a
// window manager or not, or 0 when none appeared within timeoutMs.
::Window findWindowOf(Display* display, pid_t pid, int timeoutMs);

// The client area as 0x00RRGGBB pixels, row by row.
std::vector<std::uint32_t> readClientArea(Display* display, ::Window window, int width, int height);

// Waits until the client area's top-left width x height pixels equal
// `expected` (row-major, expectedWidth wide); true when they did in time.
bool waitForPixels(Display* display, ::Window window, const std::vector<std::uint32_t>& expected,
                   int expectedWidth, int width, int height, int timeoutMs);

// A text property of the window (WM_NAME, _NET_WM_NAME, ...) as its bytes,
// empty when it has none.
std::string textProperty(Display* display, ::Window window, const char* name);

// Sends WM_DELETE_WINDOW, as a window manager does when the user closes it.
void requestClose(Display* display, ::Window window);

// Milliseconds on a monotonic clock.
double nowMs();
