#include "fractal/escape_map.h"

#include "fractal/escape_kernels.h"

namespace {

const EscapeKernel* usableKernel(EscapePath path) {
  for (const EscapeKernel& kernel : escapeKernels()) {
    if (kernel.path == path && kernel.usable) return &kernel;
  }
  return nullptr;
}

const EscapeKernel& bestKernel() {
  static const EscapeKernel& best = [&]() -> const EscapeKernel& {
    for (const EscapeKernel& kernel : escapeKernels()) {
      if (kernel.usable) return kernel;
    }
    return escapeKernels().back();
  }();
  return best;
}

}  // namespace

void escapeMap(std::uint8_t limit, EscapeMap& map) {
  bestKernel().run(limit, map.data());
}

bool escapeMapOn(EscapePath path, std::uint8_t limit, EscapeMap& map) {
  const EscapeKernel* kernel = usableKernel(path);
  if (kernel == nullptr) return false;
  kernel->run(limit, map.data());
  return true;
}

EscapePath bestEscapePath() {
  return bestKernel().path;
}

const char* escapePathName(EscapePath path) {
  switch (path) {
    case EscapePath::kScalar:
      return "scalar";
    case EscapePath::kSse2:
      return "sse2";
    case EscapePath::kAvx2:
      return "avx2";
    case EscapePath::kAvx512:
      return "avx512";
    case EscapePath::kNeon:
      return "neon";
    case EscapePath::kSimd128:
      return "simd128";
  }
  return "unknown";
}
