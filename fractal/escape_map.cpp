#include "fractal/escape_map.h"

#include <algorithm>

#include "fractal/escape_kernels.h"

const EscapeKernel& bestEscapeKernel() {
  static const EscapeKernel& best = *std::ranges::find_if(escapeKernels(), &EscapeKernel::usable);
  return best;
}

void escapeMap(std::uint8_t limit, EscapeMap& map) {
  bestEscapeKernel().run(limit, map.data());
}
