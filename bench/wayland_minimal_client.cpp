// The yardstick for the Wayland start-up figure: the least a client can do to
// show a 554 x 554 window, an undecorated xdg toplevel with one grey
// shared-memory buffer. It reports when the compositor first presented it as
// the program does ("presented CLOCK SECONDS") and then idles until killed.

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "presentation-time-client.h"
#include "xdg-shell-client.h"

namespace {

constexpr int kSize = 554;

wl_compositor* compositor = nullptr;
wl_shm* shm = nullptr;
xdg_wm_base* wmBase = nullptr;
wp_presentation* presentation = nullptr;
std::uint32_t clockId = 0;
bool configured = false;
bool done = false;

void global(void*, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t) {
  if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
    compositor =
        static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
    shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
    wmBase = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
  } else if (std::strcmp(interface, wp_presentation_interface.name) == 0) {
    presentation = static_cast<wp_presentation*>(
        wl_registry_bind(registry, name, &wp_presentation_interface, 1));
  }
}
void globalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener registryListener = {global, globalRemove};

void ping(void*, xdg_wm_base* base, std::uint32_t serial) {
  xdg_wm_base_pong(base, serial);
}
const xdg_wm_base_listener wmBaseListener = {ping};

void surfaceConfigure(void*, xdg_surface* surface, std::uint32_t serial) {
  xdg_surface_ack_configure(surface, serial);
  configured = true;
}
const xdg_surface_listener surfaceListener = {surfaceConfigure};

void clock(void*, wp_presentation*, std::uint32_t id) {
  clockId = id;
}
const wp_presentation_listener presentationListener = {clock};

void presented(void*, struct wp_presentation_feedback*, std::uint32_t high, std::uint32_t low,
               std::uint32_t nanoseconds, std::uint32_t, std::uint32_t, std::uint32_t,
               std::uint32_t) {
  std::printf("presented %u %llu.%09u\n", clockId,
              (static_cast<unsigned long long>(high) << 32) | low, nanoseconds);
  std::fflush(stdout);
  done = true;
}
void discarded(void*, struct wp_presentation_feedback*) {
  done = true;
}
void syncOutput(void*, struct wp_presentation_feedback*, wl_output*) {}
const wp_presentation_feedback_listener feedbackListener = {syncOutput, presented, discarded};

}  // namespace

int main() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "wayland-minimal-client: no compositor\n");
    return 1;
  }
  wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
  wl_display_roundtrip(display);
  if (compositor == nullptr || shm == nullptr || wmBase == nullptr || presentation == nullptr) {
    std::fprintf(stderr, "wayland-minimal-client: the compositor lacks a needed global\n");
    return 1;
  }
  xdg_wm_base_add_listener(wmBase, &wmBaseListener, nullptr);
  wp_presentation_add_listener(presentation, &presentationListener, nullptr);
  wl_surface* surface = wl_compositor_create_surface(compositor);
  xdg_surface* xdgSurface = xdg_wm_base_get_xdg_surface(wmBase, surface);
  xdg_surface_add_listener(xdgSurface, &surfaceListener, nullptr);
  xdg_toplevel_set_title(xdg_surface_get_toplevel(xdgSurface), "minimal");
  wl_surface_commit(surface);
  while (!configured && wl_display_dispatch(display) >= 0) {
  }

  const int stride = kSize * 4;
  const int fd = memfd_create("minimal", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, stride * kSize) != 0) return 1;
  auto* pixels = static_cast<std::uint32_t*>(
      mmap(nullptr, stride * kSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
  for (int i = 0; i < kSize * kSize; ++i)
    pixels[i] = 0xFFC8C8C8;
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, stride * kSize);
  wl_buffer* buffer =
      wl_shm_pool_create_buffer(pool, 0, kSize, kSize, stride, WL_SHM_FORMAT_XRGB8888);
  wl_surface_attach(surface, buffer, 0, 0);
  wl_surface_damage_buffer(surface, 0, 0, kSize, kSize);
  wp_presentation_feedback_add_listener(wp_presentation_feedback(presentation, surface),
                                        &feedbackListener, nullptr);
  wl_surface_commit(surface);
  while (wl_display_dispatch(display) >= 0) {
  }
  return done ? 0 : 1;
}
