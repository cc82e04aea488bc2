#pragma once

#include <string>

#include "render/gdi/window_surface.h"

// Writes the client area of a window to path as an 8-bit RGB PNG. The image
// goes to a temporary file beside path first and is renamed over it only once
// complete, so path never holds a half-written file. Returns an empty string
// on success, otherwise the reason it failed.
std::string writePng(const HWND__& window, const std::string& path);
