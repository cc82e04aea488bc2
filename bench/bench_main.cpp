#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fractal/escape_kernels.h"
#include "fractal/escape_test.h"
#include "render/fractal_renderer.h"
#include "render/gdi/window_surface.h"

static constexpr int kLimit = 100;

// The escape test one pixel at a time over the whole grid: the yardstick.
static void escapeTest(benchmark::State& state) {
  for (auto _ : state) {
    int members = 0, steps = 0;
    for (int y = 0; y < kGridSize; ++y)
      for (int x = 0; x < kGridSize; ++x)
        members += isMandelbrot(x, y, kLimit, &steps);
    benchmark::DoNotOptimize(members + steps);
  }
}

// The escape map of the whole grid in the vector lanes of one kernel.
static void escapeMapWith(benchmark::State& state, const EscapeKernel* kernel) {
  static EscapeMap map;
  for (auto _ : state)
    kernel->run(kLimit, map.data()), benchmark::DoNotOptimize(map.data());
  state.SetLabel(kernel->name);
}

// One whole picture through the drawing calls onto an off-screen window.
static void drawFractal(benchmark::State& state) {
  HWND__ window = makeOffscreenWindow(kGridSize, kGridSize, RGB(0, 0, 0));
  for (auto _ : state)
    DrawFractal(&window), benchmark::DoNotOptimize(window.pixels.data());
}

int main(int argc, char** argv) {
  // On a shared machine timings only ever come out too long: the minimum counts.
  const auto add = [](const std::string& name, auto... function) {
    benchmark::RegisterBenchmark(name.c_str(), function...)
        ->Unit(benchmark::kMillisecond)
        ->ComputeStatistics("min",
                            [](const std::vector<double>& v) { return std::ranges::min(v); });
  };
  add("BM_EscapeTest", escapeTest);
  // The kernel escapeMap picks, then each one the processor has.
  add("BM_EscapeMap", escapeMapWith, &bestEscapeKernel());
  for (const EscapeKernel& kernel : escapeKernels())
    if (kernel.usable) add(std::string("BM_EscapeMap/") + kernel.name, escapeMapWith, &kernel);
  add("BM_DrawFractal", drawFractal);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
