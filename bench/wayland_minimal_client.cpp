// The least a Wayland client can do to show a 554 x 554 window: one grey buffer
// on an undecorated toplevel once configured; too short-lived to need pings.

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstring>

#include "xdg-shell-client.h"

static wl_compositor* compositor = nullptr;
static wl_shm* shm = nullptr;
static xdg_wm_base* wmBase = nullptr;
static bool configured = false;

static void global(void*, wl_registry* registry, std::uint32_t name, const char* interface,
                   std::uint32_t) {
  const auto bind = [&](const wl_interface& type, std::uint32_t version) {
    return std::strcmp(interface, type.name) == 0 ? wl_registry_bind(registry, name, &type, version)
                                                  : nullptr;
  };
  if (void* c = bind(wl_compositor_interface, 4)) compositor = static_cast<wl_compositor*>(c);
  if (void* s = bind(wl_shm_interface, 1)) shm = static_cast<wl_shm*>(s);
  if (void* w = bind(xdg_wm_base_interface, 1)) wmBase = static_cast<xdg_wm_base*>(w);
}
const wl_registry_listener registryListener = {global, [](void*, wl_registry*, std::uint32_t) {}};

static void surfaceConfigure(void*, xdg_surface* surface, std::uint32_t serial) {
  xdg_surface_ack_configure(surface, serial);
  configured = true;
}
const xdg_surface_listener surfaceListener = {surfaceConfigure};

int main() {
  constexpr int kSize = 554, kBytes = kSize * kSize * 4;
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return 1;
  wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
  wl_display_roundtrip(display);
  const int fd = memfd_create("minimal", MFD_CLOEXEC);
  if (compositor == nullptr || shm == nullptr || wmBase == nullptr || ftruncate(fd, kBytes) != 0)
    return 1;
  wl_surface* surface = wl_compositor_create_surface(compositor);
  xdg_surface* xdgSurface = xdg_wm_base_get_xdg_surface(wmBase, surface);
  xdg_surface_add_listener(xdgSurface, &surfaceListener, nullptr);
  xdg_toplevel_set_title(xdg_surface_get_toplevel(xdgSurface), "minimal");
  wl_surface_commit(surface);
  while (!configured && wl_display_dispatch(display) >= 0) {
  }
  std::memset(mmap(nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0), 0xC8, kBytes);
  wl_surface_attach(surface,
                    wl_shm_pool_create_buffer(wl_shm_create_pool(shm, fd, kBytes), 0, kSize, kSize,
                                              kSize * 4, WL_SHM_FORMAT_XRGB8888),
                    0, 0);
  wl_surface_damage_buffer(surface, 0, 0, kSize, kSize);
  wl_surface_commit(surface);
  while (wl_display_dispatch(display) >= 0) {
  }
}
