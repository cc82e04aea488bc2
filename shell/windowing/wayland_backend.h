#pragma once

// The windowing layer's backend for Wayland compositors.

#include <string>

#include "shell/windowing/backend.h"

extern const Backend waylandBackend;

// Connects to the compositor ahead of the first window, so that the backend
// choice can learn whether there is one. False, with the reason in `error`,
// when there is none or it lacks what the backend needs; the backend then
// tries again, and says why, when asked for a window.
bool connectWayland(std::string& error);
