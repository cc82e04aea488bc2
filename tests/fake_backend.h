#pragma once

// A stand-in for the window system under the windowing layer. Tests queue the
// events it reports at the next pump; with nothing queued, a pump that is
// asked to wait fails instead of blocking, so a loop that would hang ends.

#include <functional>
#include <string>
#include <vector>

#include "shell/windowing/backend.h"

struct FakeBackend {
  std::vector<std::function<void()>> events;  // run at the next pump
  std::string failure;                        // when set, every pump fails with it
  std::string createFailure;                  // when set, creating a window fails with it
  int destroyed = 0;
  int presents = 0;
  bool visible = false;
  std::string className, caption;
  bool stockIcon = false;
  HWND window = nullptr;
  std::function<void(HWND)> onPresent;
};

extern FakeBackend fake;
