#include "shell/windowing/wayland_buffer.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

bool createShmBuffer(wl_shm* shm, int width, int height, ShmBuffer& out, std::string& error) {
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  const std::size_t size = stride * height;
  const int fd = memfd_create("mandelbrot-buffer", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0) {
    error = std::string("cannot make a shared-memory buffer: ") + std::strerror(errno);
    if (fd >= 0) close(fd);
    return false;
  }
  void* data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (data == MAP_FAILED) {
    error = std::string("cannot map a shared-memory buffer: ") + std::strerror(errno);
    close(fd);
    return false;
  }
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<int32_t>(size));
  out.buffer = wl_shm_pool_create_buffer(pool, 0, width, height, static_cast<int32_t>(stride),
                                         WL_SHM_FORMAT_XRGB8888);
  // The buffer keeps the pool's memory; neither the pool nor the file is
  // needed once it exists.
  wl_shm_pool_destroy(pool);
  close(fd);
  out.data = static_cast<std::uint32_t*>(data);
  out.width = width;
  out.height = height;
  out.busy = false;
  return true;
}

void destroyShmBuffer(ShmBuffer& buffer) {
  if (buffer.buffer != nullptr) wl_buffer_destroy(buffer.buffer);
  if (buffer.data != nullptr) {
    munmap(buffer.data, static_cast<std::size_t>(buffer.width) * buffer.height * 4);
  }
  buffer = ShmBuffer{};
}

// The unused top byte is set: compositors ignore it, but screenshot tools
// that keep it as alpha would otherwise see a transparent window.
constexpr std::uint32_t kOpaque = 0xFF000000;

void copyScaled(const HWND__& window, int contentWidth, int contentHeight, int scale,
                std::uint32_t* out) {
  const std::size_t stride = static_cast<std::size_t>(contentWidth) * scale;
  const int storedWidth = std::min(window.storedWidth, contentWidth);
  for (int y = 0; y < contentHeight; ++y) {
    std::uint32_t* row = out + static_cast<std::size_t>(y) * scale * stride;
    std::uint32_t* at = row;
    if (y < window.storedHeight) {
      const Pixel* from = window.pixels.data() + static_cast<std::size_t>(y) * window.storedWidth;
      for (int x = 0; x < storedWidth; ++x, at += scale)
        std::fill_n(at, scale, from[x] | kOpaque);
    }
    std::fill(at, row + stride, window.background | kOpaque);
    // The rest of the block's rows repeat the first.
    for (int i = 1; i < scale; ++i)
      std::copy(row, row + stride, row + i * stride);
  }
}
