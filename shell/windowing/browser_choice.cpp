#include "shell/windowing/backend_choice.h"

// A page has one window system: the page itself.
const Backend* chooseBackend(std::string& error) {
  return browserBackend.connect(error) ? &browserBackend : nullptr;
}
