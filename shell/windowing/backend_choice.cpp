#include "shell/windowing/backend_choice.h"

#include <unistd.h>

#include <cstdlib>
#include <iterator>
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
  // In the order they are tried: a Wayland session may offer X11 too, through
  // XWayland, but not the other way round.
  static const Backend* const backends[] = {&waylandBackend, &x11Backend};
  const char* forced = std::getenv("MANDELBROT_BACKEND");
  if (forced != nullptr && *forced != '\0') {
    for (const Backend* backend : backends) {
      if (std::string(forced) == backend->name) return backend->connect(error) ? backend : nullptr;
    }
    error = "MANDELBROT_BACKEND is '" + std::string(forced) + "', not 'wayland' or 'x11'";
    return nullptr;
  }
  const bool offered[] = {isSet("WAYLAND_DISPLAY") || hasDefaultWaylandSocket(), isSet("DISPLAY")};
  if (!offered[0] && !offered[1]) {
    error = "no display: DISPLAY is not set, nor is WAYLAND_DISPLAY";
    return nullptr;
  }
  // The first that connects; when none does, the first one's reason.
  std::string reason;
  for (std::size_t i = 0; i < std::size(backends); ++i) {
    if (!offered[i]) continue;
    if (backends[i]->connect(error)) return backends[i];
    if (reason.empty()) reason = error;
  }
  error = reason;
  return nullptr;
}
