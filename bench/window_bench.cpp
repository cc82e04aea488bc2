// Times the real program on a private Xvfb: from start to the complete
// picture on screen, side by side with a minimal client that only puts the
// picture, already computed, on its first exposure; CPU while idle
// afterwards, peak resident memory, and CPU while another window is dragged
// over it, with and without backing store on the server (Xvfb -bs, +bs).
//
//   mandelbrot-window-bench [RUNS] [PROGRAM]

#include "fractal/escape_test.h"
#include "tests/reference_picture.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

// CPU seconds the program uses while another window is moved over it 100
// times, and until it is idle again; -1 when the windows did not appear.
double dragCpu(const char* program, const std::vector<std::string>& serverOptions) {
  std::optional<XServer> server = startXServer(serverOptions);
  if (!server) return -1;
  Display* display = XOpenDisplay(server->display.c_str());
  Child below = startProgram(program, {}, server->display);
  Child above = startProgram(program, {}, server->display);
  const ::Window window = findWindowOf(display, below.pid, 5000);
  const ::Window other = findWindowOf(display, above.pid, 5000);
  double used = -1;
  if (window != 0 && other != 0 &&
      waitForPixels(display, window, referencePixels(), kGridSize, kGridSize, kGridSize, 5000)) {
    XRaiseWindow(display, other);
    XSync(display, False);
    const double before = cpuSeconds(below.pid);
    // At the pace of a mouse reporting 100 times a second.
    for (int i = 0; i < 100; ++i) {
      XMoveWindow(display, other, 40 + i * 7 % 300, 30 + i * 13 % 300);
      XSync(display, False);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    XMoveWindow(display, other, 800, 0);
    XSync(display, False);
    waitForPixels(display, window, referencePixels(), kGridSize, kGridSize, kGridSize, 5000);
    // Idle again: no CPU used over 100 ms.
    for (double last = -1; last != cpuSeconds(below.pid);) {
      last = cpuSeconds(below.pid);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    used = cpuSeconds(below.pid) - before;
  }
  kill(below.pid, SIGKILL);
  kill(above.pid, SIGKILL);
  waitForExit(below, 2000);
  waitForExit(above, 2000);
  XCloseDisplay(display);
  stopXServer(*server);
  return used;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const char* const path = argc > 2 ? argv[2] : MANDELBROT_PROGRAM;
  std::optional<XServer> server = startXServer();
  if (!server) {
    std::fprintf(stderr, "mandelbrot-window-bench: cannot start Xvfb\n");
    return 1;
  }
  Display* display = XOpenDisplay(server->display.c_str());
  const std::vector<std::uint32_t>& picture = referencePixels();

  // The minimal client reads the picture from a file.
  const std::string pictureFile =
      (std::filesystem::temp_directory_path() / ("mandelbrot-bench-" + std::to_string(getpid())))
          .string();
  if (std::FILE* file = std::fopen(pictureFile.c_str(), "wb")) {
    std::fwrite(picture.data(), sizeof picture[0], picture.size(), file);
    std::fclose(file);
  }

  // Milliseconds from start to the complete picture, or -1 when it did not
  // appear; the program is left running for the caller to measure.
  const auto timeStart = [&](const std::string& program, const std::vector<std::string>& args,
                             Child& child, ::Window& window) {
    const double start = nowMs();
    child = startProgram(program, args, server->display);
    window = findWindowOf(display, child.pid, 5000);
    if (window == 0 ||
        !waitForPixels(display, window, picture, kGridSize, kGridSize, kGridSize, 5000))
      return -1.0;
    return nowMs() - start;
  };
  const auto close = [&](Child& child, ::Window window) {
    if (window != 0) requestClose(display, window);
    if (!waitForExit(child, 2000)) kill(child.pid, SIGKILL);
  };

  std::vector<double> startMs, minimalMs, idlePercent, peakMb;
  for (int run = 0; run < runs; ++run) {
    Child program, minimal;
    ::Window window = 0, minimalWindow = 0;
    const double ms = timeStart(path, {}, program, window);
    const double baseline =
        ms < 0 ? -1 : timeStart(MINIMAL_CLIENT, {pictureFile}, minimal, minimalWindow);
    close(minimal, minimalWindow);
    if (ms < 0 || baseline < 0) {
      std::fprintf(stderr, "mandelbrot-window-bench: the %s picture did not appear\n",
                   ms < 0 ? "program's" : "minimal client's");
      std::filesystem::remove(pictureFile);
      return 1;
    }
    startMs.push_back(ms);
    minimalMs.push_back(baseline);
    if (run == 0) {
      // Idle CPU is measured once, over five seconds.
      const double before = cpuSeconds(program.pid);
      std::this_thread::sleep_for(std::chrono::seconds(5));
      idlePercent.push_back((cpuSeconds(program.pid) - before) / 5 * 100);
    }
    peakMb.push_back(static_cast<double>(peakResidentKb(program.pid)) / 1024);
    close(program, window);
  }
  std::filesystem::remove(pictureFile);
  XCloseDisplay(display);
  stopXServer(*server);

  std::printf("runs: %d\n", runs);
  std::printf("start to complete picture: median %.1f ms (min %.1f, max %.1f)\n", median(startMs),
              *std::min_element(startMs.begin(), startMs.end()),
              *std::max_element(startMs.begin(), startMs.end()));
  std::printf("the minimal client: median %.1f ms; the program takes %.2f x as long\n",
              median(minimalMs), median(startMs) / median(minimalMs));
  std::printf("CPU over 5 s idle: %.2f %% of a core\n", idlePercent.front());
  std::printf("peak resident memory: median %.1f MB\n", median(peakMb));
  std::vector<double> plain, backed;
  // A run whose windows did not show in time (a loaded machine) is run again.
  for (int run = 0; run < 10 && (plain.size() < 5 || backed.size() < 5); ++run) {
    for (auto [options, times] : {std::pair{"-bs", &plain}, std::pair{"+bs", &backed}}) {
      const double used = times->size() < 5 ? dragCpu(path, {options}) : -1;
      if (used >= 0) times->push_back(used);
    }
  }
  if (plain.empty() || backed.empty()) {
    std::fprintf(stderr, "mandelbrot-window-bench: the windows to drag did not show\n");
    return 1;
  }
  std::printf(
      "CPU while a window is dragged over it 100 times: median %.0f ms, %.0f ms with "
      "backing store on the server\n",
      median(plain) * 1000, median(backed) * 1000);
  return 0;
}
