#include <cstdio>

#include "shell/failure.h"
#include "shell/windowing/windowing.h"

void reportFailure(const char* what) {
  std::fprintf(stderr, "mandelbrot: %s: %s\n", what, GetLastErrorText());
}
