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

// Timings on a shared machine only ever come out too long: with repetitions,
// the minimum is the figure to compare.
double minimum(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

// The escape test one pixel at a time over the whole grid: the yardstick.
void BM_EscapeTest(benchmark::State& state) {
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
BENCHMARK(BM_EscapeTest)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", minimum);

// The escape map of the whole grid, on the best path the processor has.
void BM_EscapeMap(benchmark::State& state) {
  static EscapeMap map;
  for (auto _ : state) {
    escapeMap(kLimit, map);
    benchmark::DoNotOptimize(map.data());
  }
  state.SetLabel(escapePathName(bestEscapePath()));
}
BENCHMARK(BM_EscapeMap)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", minimum);

// The same on one path, forced.
void escapeMapOnPath(benchmark::State& state, EscapePath path) {
  static EscapeMap map;
  for (auto _ : state) {
    escapeMapOn(path, kLimit, map);
    benchmark::DoNotOptimize(map.data());
  }
}

// One whole picture through the drawing calls onto an off-screen window.
void BM_DrawFractal(benchmark::State& state) {
  HWND__ window = makeOffscreenWindow(kGridSize, kGridSize, RGB(0, 0, 0));
  for (auto _ : state) {
    DrawFractal(&window);
    benchmark::DoNotOptimize(window.pixels.data());
  }
}
BENCHMARK(BM_DrawFractal)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", minimum);

}  // namespace

int main(int argc, char** argv) {
  // A benchmark for each path this processor has: BM_EscapeMap/avx2 and so on.
  static EscapeMap probe;
  for (const EscapePath path : {EscapePath::kScalar, EscapePath::kSse2, EscapePath::kAvx2,
                                EscapePath::kAvx512, EscapePath::kNeon}) {
    if (!escapeMapOn(path, 0, probe)) continue;
    const std::string name = std::string("BM_EscapeMap/") + escapePathName(path);
    benchmark::RegisterBenchmark(name.c_str(), escapeMapOnPath, path)
        ->Unit(benchmark::kMillisecond)
        ->ComputeStatistics("min", minimum);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
