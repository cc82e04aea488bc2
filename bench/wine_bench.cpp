// The Windows build under Wine, in a new prefix, beside this system's build.
//   mandelbrot-wine-bench [RUNS]

#include "bench/harness.h"

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  char prefix[] = "/tmp/mandelbrot-wine-XXXXXX";
  if (mkdtemp(prefix) == nullptr) return 1;
  // Nothing here needs .NET or HTML, so Wine must not offer to install them.
  const Strings wine = {"WINEPREFIX=" + std::string(prefix), "WINEDEBUG=-all",
                        "WINEDLLOVERRIDES=mscoree,mshtml="};
  // Made without a display, it leaves no session for later programs to share.
  unsetenv("DISPLAY");
  reap(spawn({"wineboot", "--init"}, wine), 120000);
  reap(spawn({"wineserver", "-w"}, wine), 120000);
  const XServer server = startXvfb();
  Series native, cold, warm;
  bool ok = server.x != nullptr;
  for (int run = 0; run < runs && ok; ++run)
    ok = timeRun(server, {MANDELBROT_PROGRAM}, {}, native);
  // The first run starts Wine's server and services; the next find them there.
  for (int run = 0; run <= runs && ok; ++run)
    ok = timeRun(server, {"wine", MANDELBROT_EXE}, wine, run == 0 ? cold : warm);
  for (const char* option : {"-k", "-w"})
    reap(spawn({"wineserver", option}, wine), 120000);
  std::filesystem::remove_all(prefix);
  stopXvfb(server);
  if (!ok) return std::fprintf(stderr, "mandelbrot-wine-bench: the picture did not show\n"), 1;
  print("this system", native, native);
  print("Wine, first run", cold, native);
  print("Wine, later runs", warm, native);
}
