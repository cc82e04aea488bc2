#pragma once

#include <string>

#include "render/gdi/window_surface.h"

// Writes the client area of a window to path as an 8-bit RGB PNG. The image
// goes to a temporary file beside path first, reaches the disk, and only then
// is renamed over path, whose folder then goes to the disk too: path never
// holds a half-written file, even after a crash. Returns an empty string on
// success, otherwise the reason it failed.
std::string writePng(const HWND__& window, const std::string& path);
