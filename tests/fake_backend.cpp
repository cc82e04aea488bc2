#include "tests/fake_backend.h"

#include "render/gdi/window_surface.h"

FakeBackend fake;

namespace {

bool createWindow(HWND window, const char* className, const char* caption, bool stockIcon,
                  std::string& error) {
  if (!fake.createFailure.empty()) {
    error = fake.createFailure;
    return false;
  }
  ++fake.created;
  fake.className = className;
  fake.caption = caption;
  fake.stockIcon = stockIcon;
  fake.lastWindow = window;
  window->present = [](HWND hwnd) {
    ++fake.presents;
    if (fake.onPresent) fake.onPresent(hwnd);
  };
  return true;
}

void showWindow(HWND, bool visible) {
  fake.visible = visible;
}

void destroyWindow(HWND) {
  ++fake.destroyed;
}

bool pumpEvents(bool wait, std::string& error) {
  if (!fake.failure.empty()) {
    error = fake.failure;
    return false;
  }
  if (fake.events.empty()) {
    if (!wait) return true;
    error = "nothing to wait for";
    return false;
  }
  std::vector<std::function<void()>> events;
  events.swap(fake.events);
  for (const auto& event : events)
    event();
  return true;
}

void shutdown() {}

const Backend fakeBackend = {createWindow, showWindow, destroyWindow, pumpEvents, shutdown};
// Every window of the test program goes to the fake.
const bool installed = (useBackend(fakeBackend), true);

}  // namespace
