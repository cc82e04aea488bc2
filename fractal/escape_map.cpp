#include "fractal/escape_map.h"

#include <algorithm>

#include "fractal/escape_kernels.h"

const EscapeKernel& bestEscapeKernel() {
  // Not std::ranges: emscripten's library lacks it.
  static const EscapeKernel& best =
      *std::find_if(escapeKernels().begin(), escapeKernels().end(),
                    [](const EscapeKernel& kernel) { return kernel.usable; });
  return best;
}

void escapeMap(std::uint8_t limit, EscapeMap& map) {
  bestEscapeKernel().run(limit, map.data());
}
