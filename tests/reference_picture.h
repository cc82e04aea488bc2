#pragma once

#include <vector>

#include "render/gdi/gdi.h"

// The expected picture, 554 x 554 colours row by row, from the escape test and
// the shade written as integer arithmetic: floor(255 * (100 - steps) / 100).
const std::vector<COLORREF>& referencePicture();
