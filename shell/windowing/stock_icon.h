#pragma once

#include <cstdint>
#include <vector>

// The layer's stock application icon, the one LoadIcon gives for
// IDI_APPLICATION: a plain window with a title bar, the same for every
// program. size x size pixels as 0xAARRGGBB, row by row.
std::vector<std::uint32_t> stockApplicationIcon(int size);
