#pragma once

// The escape test for the whole grid at once, computed in the vector lanes of
// whatever instruction set the processor offers, with isMandelbrot's results
// bit for bit.

#include <array>
#include <cstdint>

#include "fractal/escape_test.h"

// For each pixel of the grid, row by row: the escape step isMandelbrot reports
// for it, or the iteration limit for a member of the set.
using EscapeMap = std::array<std::uint8_t, kGridSize * kGridSize>;

enum class EscapePath { kScalar, kSse2, kAvx2, kAvx512, kNeon, kSimd128 };

// Fills the map for the iteration limit on the best path this processor has.
void escapeMap(std::uint8_t limit, EscapeMap& map);

// The same on the given path. False, leaving the map alone, where this build
// or this processor lacks the path.
bool escapeMapOn(EscapePath path, std::uint8_t limit, EscapeMap& map);

// The path escapeMap takes here, and a short name for a path.
EscapePath bestEscapePath();
const char* escapePathName(EscapePath path);
