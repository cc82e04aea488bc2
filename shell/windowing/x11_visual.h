#pragma once

// How the window's pixels, 0x00RRGGBB, reach an X server: the true-colour
// visual they are shown in and the conversion into its pixel values.

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "render/gdi/window_surface.h"

struct PixelFormat {
  Visual* visual = nullptr;
  int depth = 0;
  bool asStored = false;  // the visual takes the stored pixels as they are
  // Each 8-bit channel's value as its bits of a pixel value.
  unsigned long red[256] = {}, green[256] = {}, blue[256] = {};
};

// The default visual when it is true-colour with 15 bits of colour or more,
// else the deepest such visual of the screen. False, with the reason in
// `error`, when the screen has none.
bool choosePixelFormat(Display* display, int screen, PixelFormat& format, std::string& error);

// The visual's pixel value for one of the window's pixels.
unsigned long devicePixel(const PixelFormat& format, Pixel pixel);

// Puts `area` of the window's stored pixels into the drawable at the same
// place, converting them into `scratch` first unless they go as they are.
void putPixels(Display* display, Drawable drawable, GC gc, const PixelFormat& format,
               const HWND__& window, const RECT& area, std::vector<char>& scratch);
