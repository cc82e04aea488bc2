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

// Fills the map for the iteration limit with the best kernel this processor
// has.
void escapeMap(std::uint8_t limit, EscapeMap& map);
