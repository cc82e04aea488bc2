#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fractal/escape_map.h"
#include "fractal/escape_test.h"
#include "render/fractal_renderer.h"
#include "render/gdi/window_surface.h"

namespace {

constexpr int kLimit = 100;

// The escape test one pixel at a time over the whole grid: the yardstick.
void escapeTest(benchmark::State& state) {
  for (auto _ : state) {
    int members = 0;
    int steps = 0;
    for (int y = 0; y < kGridSize; ++y) {
      for (int x = 0; x < kGridSize; ++x)
        members += isMandelbrot(x, y, kLimit, &steps);
    }
    benchmark::DoNotOptimize(members);
    benchmark::DoNotOptimize(steps);
  }
}

// The escape map of the whole grid in the vector lanes of one path.
void escapeMapOnPath(benchmark::State& state, EscapePath path) {
  static EscapeMap map;
  for (auto _ : state) {
    escapeMapOn(path, kLimit, map);
    benchmark::DoNotOptimize(map.data());
  }
  state.SetLabel(escapePathName(path));
}

// One whole picture through the drawing calls onto an off-screen window.
void drawFractal(benchmark::State& state) {
  HWND__ window = makeOffscreenWindow(kGridSize, kGridSize, RGB(0, 0, 0));
  for (auto _ : state) {
    DrawFractal(&window);
    benchmark::DoNotOptimize(window.pixels.data());
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Timings on a shared machine only ever come out too long: with
  // repetitions, the minimum is the figure to compare.
  const auto add = [](const std::string& name, auto... function) {
    benchmark::RegisterBenchmark(name.c_str(), function...)
        ->Unit(benchmark::kMillisecond)
        ->ComputeStatistics("min", [](const std::vector<double>& values) {
          return *std::min_element(values.begin(), values.end());
        });
  };
  add("BM_EscapeTest", escapeTest);
  // The best path the processor has, then each path it has: BM_EscapeMap/avx2 and so on.
  add("BM_EscapeMap", escapeMapOnPath, bestEscapePath());
  static EscapeMap probe;
  for (const EscapePath path : {EscapePath::kScalar, EscapePath::kSse2, EscapePath::kAvx2,
                                EscapePath::kAvx512, EscapePath::kNeon}) {
    if (escapeMapOn(path, 0, probe))
      add(std::string("BM_EscapeMap/") + escapePathName(path), escapeMapOnPath, path);
  }
  add("BM_DrawFractal", drawFractal);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
