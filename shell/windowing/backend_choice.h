#pragma once

// Which window system the program talks to, decided once at start.

#include <string>

#include "shell/windowing/backend.h"

// Connects to the window system the program is to use. MANDELBROT_BACKEND=
// wayland or =x11 forces one. Otherwise Wayland when the session has a
// compositor (WAYLAND_DISPLAY, or the default socket in XDG_RUNTIME_DIR),
// falling back to X11 when that connection fails and DISPLAY is set; X11 when
// only DISPLAY is set. Null, with the reason in `error`, when there is nothing
// to choose or nothing connects.
const Backend* chooseBackend(std::string& error);
