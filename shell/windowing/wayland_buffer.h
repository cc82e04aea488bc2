#pragma once

// Shared-memory buffers for the Wayland backend, and the copy of a window's
// pixels into one at the output's scale.

#include <cstdint>
#include <string>

#include "render/gdi/window_surface.h"

struct wl_buffer;
struct wl_shm;

struct ShmBuffer {
  wl_buffer* buffer = nullptr;
  std::uint32_t* data = nullptr;  // XRGB8888, the layout of the window's pixels
  int width = 0, height = 0;      // in device pixels
  bool busy = false;              // attached, and not yet released by the compositor
};

// A width x height buffer in a fresh anonymous shared-memory file, which the
// buffer keeps mapped. False, with the reason in `error`, when it can't.
bool createShmBuffer(wl_shm* shm, int width, int height, ShmBuffer& out, std::string& error);
void destroyShmBuffer(ShmBuffer& buffer);

// Fills `out`, which is `scale` times `contentWidth` x `contentHeight`, with
// the window's pixels, each as an exact scale x scale block, and the window's
// background wherever the content reaches beyond the pixels it stores.
void copyScaled(const HWND__& window, int contentWidth, int contentHeight, int scale,
                std::uint32_t* out);
