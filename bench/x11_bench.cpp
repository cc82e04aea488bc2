// The real program beside a minimal client, under MANAGER if named, and its CPU while
// another window is dragged over it, with and without backing store; each on a private Xvfb.
//   mandelbrot-window-bench [RUNS] [PROGRAM] [MANAGER]

#include "bench/harness.h"

// CPU seconds for 100 moves of another window over it and the redraw; -1 if a window did not show.
static double dragCpu(const std::string& program, const char* backingStore) {
  const XServer server = startXvfb({backingStore});
  const Shown below = show(server, {program}, {}, 5000), above = show(server, {program}, {}, 5000);
  double used = -1;
  if (below.window != 0 && above.window != 0) {
    const double before = cpuSeconds(below.pid);
    // At the pace of a mouse reporting 100 times a second.
    for (int i = 0; i <= 100; ++i, sleepMs(10))
      XMoveWindow(server.x, above.window, i < 100 ? 40 + i * 7 % 300 : 800, 30 + i * 13 % 300),
          XSync(server.x, False);
    showsPicture(server, below, 5000);
    // Idle again: no CPU used over 100 ms.
    for (double last = -1; last != cpuSeconds(below.pid); sleepMs(100))
      last = cpuSeconds(below.pid);
    used = cpuSeconds(below.pid) - before;
  }
  reap(below.pid, 0);
  reap(above.pid, 0);
  stopXvfb(server);
  return used;
}

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const std::string path = argc > 2 ? argv[2] : MANDELBROT_PROGRAM;
  const std::string file = "/tmp/mandelbrot-bench-" + std::to_string(getpid());
  if (std::FILE* f = std::fopen(file.c_str(), "wb"))
    std::fwrite(picture().data(), 4, picture().size(), f), std::fclose(f);
  const XServer server = startXvfb();
  Series program, minimal, warmUp;
  bool ok = server.x != nullptr;
  if (ok && argc > 3)
    spawn({argv[3]}, {"DISPLAY=" + server.display}),
        ok = waitFor(10000, [&] {  // a window manager is up once it owns WM_S0
          return XGetSelectionOwner(server.x, XInternAtom(server.x, "WM_S0", False)) != None;
        });
  for (int run = 0; run <= runs && ok; ++run)  // the first run of each warms up
    ok = timeRun(server, {path}, {}, run > 0 ? program : warmUp) &&
         timeRun(server, {X11_MINIMAL_CLIENT, file}, {}, run > 0 ? minimal : warmUp);
  std::remove(file.c_str());
  stopXvfb(server);
  if (!ok) return std::fprintf(stderr, "mandelbrot-window-bench: a picture did not show\n"), 1;
  print("the program", program, minimal);
  print("the minimal client", minimal, minimal);
  // A run whose windows did not show in time (a loaded machine) is left out.
  std::vector<double> plain, backed;
  for (int run = 0; run < 5; ++run)
    for (auto [option, times] : {std::pair{"-bs", &plain}, std::pair{"+bs", &backed}})
      if (const double used = dragCpu(path, option); used >= 0) times->push_back(used);
  std::printf(
      "CPU while a window is dragged over it 100 times: median %.0f ms, %.0f ms with "
      "backing store on the server\n",
      median(plain) * 1000, median(backed) * 1000);
}
