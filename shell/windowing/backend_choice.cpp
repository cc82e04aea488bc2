#include "shell/windowing/backend_choice.h"

#include <unistd.h>

#include <cstdlib>

#include "shell/windowing/wayland_backend.h"

namespace {

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// libwayland connects to $XDG_RUNTIME_DIR/wayland-0 when WAYLAND_DISPLAY is
// unset, so a session whose socket is there has a compositor too.
bool hasDefaultWaylandSocket() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return runtime != nullptr && *runtime != '\0' &&
         access((std::string(runtime) + "/wayland-0").c_str(), F_OK) == 0;
}

}  // namespace

const Backend* chooseBackend(std::string& error) {
  const char* forced = std::getenv("MANDELBROT_BACKEND");
  if (forced != nullptr && *forced != '\0') {
    if (std::string(forced) == "wayland") return &waylandBackend;
    if (std::string(forced) == "x11") return &x11Backend;
    error = "MANDELBROT_BACKEND is '" + std::string(forced) + "', not 'wayland' or 'x11'";
    return nullptr;
  }
  if (isSet("WAYLAND_DISPLAY") || hasDefaultWaylandSocket()) {
    // Connecting now lets a failed compositor give way to X11; the backend
    // keeps the connection for its first window.
    if (connectWayland(error) || !isSet("DISPLAY")) return &waylandBackend;
    return &x11Backend;
  }
  if (isSet("DISPLAY")) return &x11Backend;
  error = "no display: DISPLAY is not set, nor is WAYLAND_DISPLAY";
  return nullptr;
}
