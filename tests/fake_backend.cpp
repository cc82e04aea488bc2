#include "tests/fake_backend.h"

#include "render/gdi/window_surface.h"

FakeBackend fake;

namespace {

bool createWindow(HWND window, const char* className, const char* caption, bool stockIcon,
                  std::string& error) {
  error = fake.createFailure;
  if (!error.empty()) return false;
  fake.className = className;
  fake.caption = caption;
  fake.stockIcon = stockIcon;
  fake.window = window;
  window->present = [](HWND hwnd) {
    ++fake.presents;
    if (fake.onPresent) fake.onPresent(hwnd);
  };
  return true;
}

bool pumpEvents(bool wait, std::string& error) {
  error =
      fake.failure.empty() && wait && fake.events.empty() ? "nothing to wait for" : fake.failure;
  if (!error.empty()) return false;
  std::vector<std::function<void()>> events;
  events.swap(fake.events);
  for (const auto& event : events)
    event();
  return true;
}

const Backend fakeBackend = {"fake",
                             [](std::string&) { return true; },
                             createWindow,
                             [](HWND) { fake.visible = true; },
                             [](HWND) { ++fake.destroyed; },
                             pumpEvents,
                             [] {}};
// Every window of the test program goes to the fake.
const bool installed = (useBackend(fakeBackend), true);

}  // namespace
