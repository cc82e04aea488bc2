#pragma once

#include <cstdint>
#include <vector>

#include "render/gdi/gdi.h"

// The expected picture, 554 x 554 colours row by row, from the escape test and
// the shade written as integer arithmetic: floor(255 * (100 - steps) / 100).
const std::vector<COLORREF>& referencePicture();

// The same picture as a screen shows it: 0x00RRGGBB pixels, the layout of
// 24-bit true-colour X images.
const std::vector<std::uint32_t>& referencePixels();
