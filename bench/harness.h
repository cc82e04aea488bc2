#pragma once

// What the drivers share: child processes, their figures, a private Xvfb.

#include <X11/Xlib.h>
#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using Strings = std::vector<std::string>;

double nowMs();  // on a monotonic clock
inline void sleepMs(int ms) {
  usleep(static_cast<useconds_t>(ms) * 1000);
}
bool waitFor(int timeoutMs, const std::function<bool()>& done);  // asks every 2 ms
double median(std::vector<double> values);
double cpuSeconds(pid_t pid);

// argv[0] from PATH, in a group of its own, dying with us; stderr to errFd.
pid_t spawn(const Strings& argv, const Strings& env = {}, int errFd = -1);
// Kills its group after timeoutMs unless it ended; gives its peak memory in MB.
double reap(pid_t pid, int timeoutMs);

// Runs' start to picture and peak memory; CPU over 5 s idle after the first.
struct Series {
  std::vector<double> startMs = {}, peakMb = {};
  double idlePercent = 0;
};
// A run whose picture showed after `ms` (none if < 0); end() gives its memory.
void record(Series& series, pid_t pid, double ms, const std::function<double()>& end);
// One line of medians, the start also as a multiple of the yardstick's.
void print(const char* what, const Series& series, const Series& yardstick);

const std::vector<std::uint32_t>& picture();  // 554 x 554 pixels, 0x00RRGGBB

// An Xvfb at depth 24 on a free display, and a connection to it.
struct XServer {
  pid_t pid = -1;
  std::string display;  // ":N"
  Display* x = nullptr;
};
XServer startXvfb(const Strings& options = {});
void stopXvfb(const XServer& server);

// A program started there, once its window shows what fits of the picture (else window 0).
struct Shown {
  pid_t pid = -1;
  ::Window window = 0;
};
Shown show(const XServer& server, const Strings& argv, const Strings& env, int timeoutMs);
bool showsPicture(const XServer& server, const Shown& shown, int timeoutMs);
// Shows, records and closes a run as a window manager would; false if unshown.
bool timeRun(const XServer& server, const Strings& argv, const Strings& env, Series& series);
