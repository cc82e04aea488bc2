#pragma once

// The kernels behind escapeMap, one per instruction set, and the list of the
// ones this build has, which CMake picks by architecture.

#include <cstdint>
#include <span>

#include "fractal/escape_map.h"

struct EscapeKernel {
  const char* name;  // the instruction set's
  void (*run)(std::uint8_t limit, std::uint8_t* map);
  bool usable;  // the processor and the system support it
};

// This build's kernels, the fastest first; the last, scalar, always usable.
std::span<const EscapeKernel> escapeKernels();

// The one escapeMap runs: the first usable.
const EscapeKernel& bestEscapeKernel();

void escapeScalar(std::uint8_t limit, std::uint8_t* map);
void escapeSse2(std::uint8_t limit, std::uint8_t* map);
void escapeAvx2(std::uint8_t limit, std::uint8_t* map);
void escapeAvx512(std::uint8_t limit, std::uint8_t* map);
void escapeNeon(std::uint8_t limit, std::uint8_t* map);
void escapeSimd128(std::uint8_t limit, std::uint8_t* map);
