#include <benchmark/benchmark.h>

#include "fractal/escape_test.h"
#include "render/fractal_renderer.h"
#include "render/gdi/window_surface.h"

namespace {

// The escape test alone over the whole grid: the arithmetic of one picture.
void BM_EscapeTest(benchmark::State& state) {
  for (auto _ : state) {
    int members = 0;
    int steps = 0;
    for (int y = 0; y < kGridSize; ++y) {
      for (int x = 0; x < kGridSize; ++x)
        members += isMandelbrot(x, y, 100, &steps);
    }
    benchmark::DoNotOptimize(members);
    benchmark::DoNotOptimize(steps);
  }
}
BENCHMARK(BM_EscapeTest)->Unit(benchmark::kMillisecond);

// One whole picture through the drawing calls onto an off-screen window.
void BM_DrawFractal(benchmark::State& state) {
  HWND__ window = makeOffscreenWindow(kGridSize, kGridSize, RGB(0, 0, 0));
  for (auto _ : state) {
    DrawFractal(&window);
    benchmark::DoNotOptimize(window.pixels.data());
  }
}
BENCHMARK(BM_DrawFractal)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
