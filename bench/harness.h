#pragma once

// What the drivers that time the real program share: child processes, their
// figures, and a private Xvfb on which to wait for the picture.

#include <X11/Xlib.h>
#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

double nowMs();  // on a monotonic clock
void sleepMs(int ms);
double median(std::vector<double> values);
double cpuSeconds(pid_t pid);

// Starts argv[0] (searched in PATH) with `env` (NAME=VALUE) added, standard
// error on errFd (or /dev/null) and the rest on /dev/null. It dies with us.
pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
            int errFd = -1);
// Waits up to timeoutMs for the child to end, then kills its group; returns
// its peak resident memory in MB.
double reap(pid_t pid, int timeoutMs);

// A program's runs: from its start to the picture, its peak memory, and its
// CPU use over 5 idle seconds after the first picture, which record() takes.
struct Series {
  std::vector<double> startMs = {}, peakMb = {};
  double idlePercent = 0;
};
void record(Series& series, pid_t pid, double ms);
// One line: the medians, the start also as a multiple of the yardstick's.
void print(const char* what, const Series& series, const Series& yardstick);

// The picture every window must show: 554 x 554 pixels as 0x00RRGGBB.
const std::vector<std::uint32_t>& picture();

// An Xvfb at depth 24 on a display number it picks itself, and a connection.
struct XServer {
  pid_t pid = -1;
  std::string display;  // ":N"
  Display* x = nullptr;
};
XServer startXvfb(const std::vector<std::string>& options = {});
void stopXvfb(XServer& server);

// A program started on the server, once its window shows as much of the
// picture as its size allows (window 0 when not within timeoutMs).
struct Shown {
  pid_t pid = -1;
  ::Window window = 0;
  double ms = 0;  // from the start
};
Shown show(const XServer& server, const std::vector<std::string>& argv,
           const std::vector<std::string>& env, int timeoutMs);
bool showsPicture(const XServer& server, const Shown& shown, int timeoutMs);
// Asks it to close, as a window manager does, and reaps it.
double close(const XServer& server, const Shown& shown);
// Shows, records and closes a run; false when the picture did not show.
bool timeRun(const XServer& server, const std::vector<std::string>& argv,
             const std::vector<std::string>& env, Series& series);
