// mandelbrot-snapshot FILE.png: draws the picture off-screen and saves it.

#include <cstdio>
#include <string>

#include "fractal/escape_test.h"
#include "render/fractal_renderer.h"
#include "tools/png_file.h"

int main(int argc, char** argv) {
  const std::string usage = "usage: mandelbrot-snapshot FILE.png\n";
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::fputs(usage.c_str(), stdout);
    return 0;
  }
  // A name starting with '-' is far more likely a mistyped option than a file.
  if (argc != 2 || argv[1][0] == '\0' || argv[1][0] == '-') {
    std::fputs(usage.c_str(), stderr);
    return 2;
  }
  HWND__ window = makeOffscreenWindow(kGridSize, kGridSize, RGB(0, 0, 0));
  DrawFractal(&window);
  const std::string reason = writePng(window, argv[1]);
  if (!reason.empty()) {
    std::fprintf(stderr, "mandelbrot-snapshot: cannot write '%s': %s\n", argv[1], reason.c_str());
    return 1;
  }
  return 0;
}
