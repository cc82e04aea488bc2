// Times the Windows build under Wine beside this system's build, both on one
// private Xvfb: from start to the complete picture on screen, CPU while idle
// afterwards, and peak resident memory. Wine gets a prefix of its own, made
// first and timed apart.
//
//   mandelbrot-wine-bench [RUNS]

#include "fractal/escape_test.h"
#include "tests/reference_picture.h"

#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/wine_harness.h"
#include "bench/x_harness.h"

namespace {

struct Figures {
  std::vector<double> startMs;
  double idlePercent = 0;
  std::vector<double> peakMb;
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs the program `runs` times and times each run up to the moment its
// window shows every pixel of the picture it can show. Idle CPU is taken once,
// over five seconds, on the first run.
bool measure(Display* display, const std::string& displayName, bool underWine, int runs,
             Figures& figures) {
  const std::vector<std::uint32_t>& picture = referencePixels();
  for (int run = 0; run < runs; ++run) {
    const double start = nowMs();
    Child program = underWine ? startUnderWine(MANDELBROT_EXE, displayName)
                              : startProgram(MANDELBROT_PROGRAM, {}, displayName);
    const ::Window window = findWindowOf(display, program.pid, 30000);
    ClientSize client = {kGridSize, kGridSize};
    if (underWine && window != 0) client = visibleClientArea(display, window);
    if (window == 0 || client.width == 0 ||
        !waitForPixels(display, window, picture, kGridSize, client.width, client.height, 10000)) {
      kill(program.pid, SIGKILL);
      waitForExit(program, 2000);
      return false;
    }
    figures.startMs.push_back(nowMs() - start);
    if (run == 0) {
      const double before = cpuSeconds(program.pid);
      std::this_thread::sleep_for(std::chrono::seconds(5));
      figures.idlePercent = (cpuSeconds(program.pid) - before) / 5 * 100;
    }
    figures.peakMb.push_back(static_cast<double>(peakResidentKb(program.pid)) / 1024);
    requestClose(display, window);
    if (!waitForExit(program, 10000)) {
      kill(program.pid, SIGKILL);
      waitForExit(program, 2000);
    }
  }
  return true;
}

void print(const char* what, const Figures& figures) {
  std::printf("%s: start to complete picture median %.1f ms (min %.1f, max %.1f), ", what,
              median(figures.startMs),
              *std::min_element(figures.startMs.begin(), figures.startMs.end()),
              *std::max_element(figures.startMs.begin(), figures.startMs.end()));
  std::printf("idle CPU over 5 s %.2f %% of a core, peak resident %.1f MB\n", figures.idlePercent,
              median(figures.peakMb));
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  char prefix[] = "/tmp/mandelbrot-wine-XXXXXX";
  if (mkdtemp(prefix) == nullptr) return 1;
  setenv("WINEPREFIX", prefix, 1);
  std::optional<XServer> server = startXServer();
  Display* display = server ? XOpenDisplay(server->display.c_str()) : nullptr;

  Figures native, cold, warm;
  double prefixMs = nowMs();
  bool ok = display != nullptr && createWinePrefix();
  prefixMs = nowMs() - prefixMs;
  // The first run under Wine starts its server and services; the runs right
  // after it find them still there.
  ok = ok && measure(display, server->display, false, runs, native) &&
       measure(display, server->display, true, 1, cold) &&
       measure(display, server->display, true, runs, warm);
  stopWine();
  runQuietly({"/bin/rm", "-rf", prefix});
  if (display != nullptr) XCloseDisplay(display);
  if (server) stopXServer(*server);
  if (!ok) {
    std::fprintf(stderr, "mandelbrot-wine-bench: the picture did not appear\n");
    return 1;
  }

  std::printf("runs: %d\n", runs);
  print("this system", native);
  std::printf("Wine prefix creation: %.0f ms\n", prefixMs);
  print("Wine, first run", cold);
  print("Wine, later runs", warm);
  return 0;
}
