// Times the real program on a private Xvfb: from start to the complete
// picture on screen, CPU while idle afterwards, and peak resident memory.
//
//   mandelbrot-window-bench [RUNS]

#include "fractal/escape_test.h"
#include "tests/reference_picture.h"

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/x_harness.h"

namespace {

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  std::optional<XServer> server = startXServer();
  if (!server) {
    std::fprintf(stderr, "mandelbrot-window-bench: cannot start Xvfb\n");
    return 1;
  }
  Display* display = XOpenDisplay(server->display.c_str());
  const std::vector<std::uint32_t>& picture = referencePixels();

  std::vector<double> startMs, idlePercent, peakMb;
  for (int run = 0; run < runs; ++run) {
    const double start = nowMs();
    Child program = startProgram(MANDELBROT_PROGRAM, {}, server->display);
    const ::Window window = findWindowOf(display, program.pid, 5000);
    if (window == 0 ||
        !waitForPixels(display, window, picture, kGridSize, kGridSize, kGridSize, 5000)) {
      std::fprintf(stderr, "mandelbrot-window-bench: the picture did not appear\n");
      return 1;
    }
    startMs.push_back(nowMs() - start);
    if (run == 0) {
      // Idle CPU is measured once, over five seconds.
      const double before = cpuSeconds(program.pid);
      std::this_thread::sleep_for(std::chrono::seconds(5));
      idlePercent.push_back((cpuSeconds(program.pid) - before) / 5 * 100);
    }
    peakMb.push_back(static_cast<double>(peakResidentKb(program.pid)) / 1024);
    requestClose(display, window);
    if (!waitForExit(program, 2000)) kill(program.pid, SIGKILL);
  }
  XCloseDisplay(display);
  stopXServer(*server);

  std::printf("runs: %d\n", runs);
  std::printf("start to complete picture: median %.1f ms (min %.1f, max %.1f)\n", median(startMs),
              *std::min_element(startMs.begin(), startMs.end()),
              *std::max_element(startMs.begin(), startMs.end()));
  std::printf("CPU over 5 s idle: %.2f %% of a core\n", idlePercent.front());
  std::printf("peak resident memory: median %.1f MB\n", median(peakMb));
  return 0;
}
