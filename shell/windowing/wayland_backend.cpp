// The windowing layer's backend for Wayland: one xdg toplevel per window,
// its content put on the screen from the window's pixels through shared
// memory at the output's whole-number scale. Where the compositor offers to
// draw the frame (xdg-decoration, server-side mode) the toplevel is the
// program's own; elsewhere libdecor makes it and its plugin draws a title bar
// (none when the plugin is missing). libdecor is not even started while the
// compositor draws frames: its plugin costs tens of libraries, megabytes and
// milliseconds, and can block on a desktop portal.

#include <link.h>
#include <libdecor.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <memory>
#include <vector>

#include "xdg-decoration-unstable-v1-client.h"
#include "xdg-shell-client.h"
#include "shell/windowing/backend.h"
#include "shell/windowing/wayland_buffer.h"

namespace {

// The desktop entry's name, mandelbrot.desktop, which lets the desktop show
// its icon and name for the window.
constexpr char kAppId[] = "mandelbrot";

struct Output {
  wl_output* output;
  std::uint32_t name;
  int scale = 1;
};

struct WaylandWindow {
  HWND hwnd = nullptr;
  std::string title;  // UTF-8
  wl_surface* surface = nullptr;
  libdecor_frame* frame = nullptr;  // where libdecor decorates; else the next three
  xdg_surface* xdgSurface = nullptr;
  xdg_toplevel* toplevel = nullptr;
  zxdg_toplevel_decoration_v1* decoration = nullptr;
  int pendingWidth = 0, pendingHeight = 0;  // the toplevel's configure, before its acknowledgement
  bool clientSide = false;                  // the compositor leaves the frame to the program
  int outerWidth = 0, outerHeight = 0;      // wanted, frame included
  int width = 0, height = 0;                // the configured content size, in surface units
  bool configured = false;
  bool mapped = false;
  // The renderer has painted the window since its size last changed: only
  // then may its pixels go to the screen, as a window is not seen before its
  // first buffer, and an empty one would only flash.
  bool painted = false;
  int scale = 1;
  std::vector<wl_output*> entered;  // the outputs the surface is on
  std::list<ShmBuffer> buffers;     // at most one being filled, the rest held by the compositor
};

wl_display* display = nullptr;
wl_registry* registry = nullptr;
wl_compositor* compositor = nullptr;
wl_shm* shm = nullptr;
libdecor* decor = nullptr;
// Bound only when the compositor offers to draw frames; libdecor is used
// otherwise.
xdg_wm_base* wmBase = nullptr;
zxdg_decoration_manager_v1* decorationManager = nullptr;
std::uint32_t wmBaseName = 0, decorationManagerName = 0;
bool decorated = false;  // a decoration plugin draws frames
std::list<Output> outputs;
std::vector<std::unique_ptr<WaylandWindow>> wwindows;
std::string failure;  // what libdecor or the backend ran into inside a dispatch

// libwayland writes its own complaints to stderr, several lines for one
// fault; the backend reports each fault on one line of its own instead.
void quietLog(const char*, va_list) {}

WaylandWindow* findWayland(HWND hwnd) {
  for (const auto& w : wwindows) {
    if (w->hwnd == hwnd) return w.get();
  }
  return nullptr;
}

std::string compositorName() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  return name != nullptr && *name != '\0' ? name : "wayland-0";
}

Output* findOutput(wl_output* output) {
  for (Output& o : outputs) {
    if (o.output == output) return &o;
  }
  return nullptr;
}

// The largest scale of the outputs the surface is on; before it is on any,
// the largest there is, so the first frame is already sharp on a one-output
// desktop. Only the outputs bound here count: libdecor's plugin binds outputs
// of its own, and the surface enters those too, at scales not known here.
int wantedScale(const WaylandWindow& w) {
  int scale = 1;
  for (const Output& o : outputs) {
    const bool on = std::find(w.entered.begin(), w.entered.end(), o.output) != w.entered.end();
    if (on || w.entered.empty()) scale = std::max(scale, o.scale);
  }
  return scale;
}

void bufferReleased(void* data, wl_buffer*) {
  static_cast<ShmBuffer*>(data)->busy = false;
}
const wl_buffer_listener bufferListener = {bufferReleased};

// A free buffer of the size, made when none is; buffers of another size go
// as soon as the compositor has let go of them.
ShmBuffer* freeBuffer(WaylandWindow& w, int width, int height) {
  for (auto it = w.buffers.begin(); it != w.buffers.end();) {
    if (!it->busy && it->width == width && it->height == height) return &*it;
    if (!it->busy) {
      destroyShmBuffer(*it);
      it = w.buffers.erase(it);
    } else {
      ++it;
    }
  }
  ShmBuffer& buffer = w.buffers.emplace_back();
  if (!createShmBuffer(shm, width, height, buffer, failure)) {
    w.buffers.pop_back();
    return nullptr;
  }
  wl_buffer_add_listener(buffer.buffer, &bufferListener, &buffer);
  return &buffer;
}

void presentWindow(WaylandWindow& w) {
  // Nothing may be attached before the first configure says the size.
  if (!w.configured || !failure.empty()) return;
  ShmBuffer* buffer = freeBuffer(w, w.width * w.scale, w.height * w.scale);
  if (buffer == nullptr) return;
  copyScaled(*w.hwnd, w.width, w.height, w.scale, buffer->data);
  wl_surface_set_buffer_scale(w.surface, w.scale);
  wl_surface_attach(w.surface, buffer->buffer, 0, 0);
  wl_surface_damage_buffer(w.surface, 0, 0, INT32_MAX, INT32_MAX);
  buffer->busy = true;
  wl_surface_commit(w.surface);
  wl_display_flush(display);
}

// The surface's present hook, run as a paint releases its device context.
void present(HWND hwnd) {
  WaylandWindow* w = findWayland(hwnd);
  if (w == nullptr || !w->configured) return;
  w->painted = true;
  presentWindow(*w);
}

// A change of scale shows the same pixels again, in blocks of the new size.
void rescale(WaylandWindow& w) {
  const int scale = wantedScale(w);
  if (scale == w.scale) return;
  w.scale = scale;
  if (w.painted) presentWindow(w);
}

void outputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                    const char*, int32_t) {}
void outputMode(void*, wl_output*, std::uint32_t, int32_t, int32_t, int32_t) {}
void outputDone(void*, wl_output*) {
  for (const auto& w : wwindows)
    rescale(*w);
}
void outputScale(void* data, wl_output*, int32_t factor) {
  static_cast<Output*>(data)->scale = std::max(1, factor);
}
// Filled field by field: the listener tables grow with newer library
// versions, and the fields not set here stay null.
const wl_output_listener outputListener = [] {
  wl_output_listener l{};
  l.geometry = outputGeometry;
  l.mode = outputMode;
  l.done = outputDone;
  l.scale = outputScale;
  return l;
}();

void surfaceEnter(void* data, wl_surface*, wl_output* output) {
  auto& w = *static_cast<WaylandWindow*>(data);
  if (findOutput(output) == nullptr) return;
  w.entered.push_back(output);
  rescale(w);
}
void surfaceLeave(void* data, wl_surface*, wl_output* output) {
  auto& w = *static_cast<WaylandWindow*>(data);
  std::erase(w.entered, output);
  rescale(w);
}
const wl_surface_listener surfaceListener = {surfaceEnter, surfaceLeave};

void global(void*, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version) {
  if (std::strcmp(interface, wl_compositor_interface.name) == 0 && version >= 4) {
    compositor =
        static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
    shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  } else if (std::strcmp(interface, wl_output_interface.name) == 0 && version >= 2) {
    Output& o = outputs.emplace_back(Output{nullptr, name});
    // Version 3 lets an unplugged output's object go (wl_output.release).
    o.output = static_cast<wl_output*>(
        wl_registry_bind(registry, name, &wl_output_interface, std::min(version, 3u)));
    wl_output_add_listener(o.output, &outputListener, &o);
  } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
    wmBaseName = name;
  } else if (std::strcmp(interface, zxdg_decoration_manager_v1_interface.name) == 0) {
    decorationManagerName = name;
  }
}
void releaseOutput(wl_output* output) {
  if (wl_output_get_version(output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
    wl_output_release(output);
  } else {
    wl_output_destroy(output);
  }
}
void globalRemove(void*, wl_registry*, std::uint32_t name) {
  for (auto it = outputs.begin(); it != outputs.end(); ++it) {
    if (it->name != name) continue;
    for (const auto& w : wwindows)
      std::erase(w->entered, it->output);
    releaseOutput(it->output);
    outputs.erase(it);
    for (const auto& w : wwindows)
      rescale(*w);
    return;
  }
}
const wl_registry_listener registryListener = {global, globalRemove};

void decorError(libdecor*, libdecor_error, const char* message) {
  if (failure.empty()) failure = std::string("window decorations failed: ") + message;
}
libdecor_interface decorInterface = [] {
  libdecor_interface i{};
  i.error = decorError;
  return i;
}();

// libdecor falls back to no decorations when it finds no plugin, and then
// must not be asked where the content lies in the frame (libdecor 0.1.1
// crashes). A plugin it uses is a loaded "libdecor-NAME.so" beside the
// library's own "libdecor-0.so".
bool decorationPluginLoaded() {
  return dl_iterate_phdr(
             [](dl_phdr_info* info, std::size_t, void*) {
               const char* slash = std::strrchr(info->dlpi_name, '/');
               const char* base = slash != nullptr ? slash + 1 : info->dlpi_name;
               return std::strncmp(base, "libdecor-", 9) == 0 &&
                              std::strncmp(base, "libdecor-0.", 11) != 0
                          ? 1
                          : 0;
             },
             nullptr) != 0;
}

void commitSize(libdecor_frame* frame, int width, int height,
                libdecor_configuration* configuration) {
  libdecor_state* state = libdecor_state_new(width, height);
  libdecor_frame_commit(frame, state, configuration);
  libdecor_state_free(state);
}

// A configure's size, once acknowledged: a new size waits for the renderer's
// paint, which brings the one buffer of that size; the same size only needs
// the acknowledgement committed.
void resized(WaylandWindow& w, int width, int height) {
  const bool sizeChanged = !w.configured || width != w.width || height != w.height;
  w.width = width;
  w.height = height;
  w.configured = true;
  if (!sizeChanged) {
    wl_surface_commit(w.surface);
    return;
  }
  w.painted = false;
  windowResized(w.hwnd, width, height);
  windowExposed(w.hwnd, RECT{0, 0, width, height});
}

void frameConfigure(libdecor_frame* frame, libdecor_configuration* configuration, void* data) {
  auto& w = *static_cast<WaylandWindow*>(data);
  int width = 0, height = 0;
  const bool sized = libdecor_configuration_get_content_size(configuration, frame, &width, &height);
  if (!sized) {
    width = w.configured ? w.width : w.outerWidth;
    height = w.configured ? w.height : w.outerHeight;
  }
  commitSize(frame, width, height, configuration);
  if (!sized && !w.configured && decorated) {
    // The size is the program's to choose: the outer size asked for, less
    // libdecor's frame. The frame exists once committed; libdecor then says
    // where the content starts within it. Its frames are as wide at the
    // right and the bottom as at the left, the title bar being the only part
    // at the top.
    int left = 0, top = 0;
    libdecor_frame_translate_coordinate(frame, 0, 0, &left, &top);
    if (left != 0 || top != 0) {
      width = std::max(1, width - 2 * left);
      height = std::max(1, height - top - left);
      commitSize(frame, width, height, nullptr);
    }
  }
  resized(w, width, height);
}
void frameClose(libdecor_frame*, void* data) {
  windowCloseRequested(static_cast<WaylandWindow*>(data)->hwnd);
}
void frameCommit(libdecor_frame*, void* data) {
  wl_surface_commit(static_cast<WaylandWindow*>(data)->surface);
}
void dismissPopup(libdecor_frame*, const char*, void*) {}
libdecor_frame_interface frameInterface = [] {
  libdecor_frame_interface i{};
  i.configure = frameConfigure;
  i.close = frameClose;
  i.commit = frameCommit;
  i.dismiss_popup = dismissPopup;
  return i;
}();

void ping(void*, xdg_wm_base* base, std::uint32_t serial) {
  xdg_wm_base_pong(base, serial);
}
const xdg_wm_base_listener wmBaseListener = {ping};

void toplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
  auto& w = *static_cast<WaylandWindow*>(data);
  w.pendingWidth = width;
  w.pendingHeight = height;
}
void toplevelClose(void* data, xdg_toplevel*) {
  windowCloseRequested(static_cast<WaylandWindow*>(data)->hwnd);
}
const xdg_toplevel_listener toplevelListener = [] {
  xdg_toplevel_listener l{};
  l.configure = toplevelConfigure;
  l.close = toplevelClose;
  return l;
}();

// The size is the program's to choose where the compositor says 0: the outer
// size asked for at first, as the frame is the compositor's and no protocol
// says how large it is, and the same size after.
void xdgSurfaceConfigure(void* data, xdg_surface* surface, std::uint32_t serial) {
  auto& w = *static_cast<WaylandWindow*>(data);
  if (w.clientSide && !w.configured) return;  // libdecor takes over; see pumpEvents
  xdg_surface_ack_configure(surface, serial);
  if (w.pendingWidth > 0 && w.pendingHeight > 0) {
    resized(w, w.pendingWidth, w.pendingHeight);
  } else {
    resized(w, w.configured ? w.width : w.outerWidth, w.configured ? w.height : w.outerHeight);
  }
}
const xdg_surface_listener xdgSurfaceListener = {xdgSurfaceConfigure};

// A compositor that offers the protocol may still leave the frame to the
// program. Before the window first shows, libdecor then takes it over; a
// change of mind later leaves the window as it is.
void decorationConfigure(void* data, zxdg_toplevel_decoration_v1*, std::uint32_t mode) {
  static_cast<WaylandWindow*>(data)->clientSide =
      mode == ZXDG_TOPLEVEL_DECORATION_V1_MODE_CLIENT_SIDE;
}
const zxdg_toplevel_decoration_v1_listener decorationListener = {decorationConfigure};

bool lost(std::string& error) {
  const int code = display != nullptr ? wl_display_get_error(display) : 0;
  if (!failure.empty()) {
    error = failure;
  } else if (code == EPROTO) {
    const wl_interface* interface = nullptr;
    std::uint32_t id = 0;
    const std::uint32_t protocolCode = wl_display_get_protocol_error(display, &interface, &id);
    error = "Wayland protocol error " + std::to_string(protocolCode) + " on " +
            (interface != nullptr ? interface->name : "an unknown object");
  } else {
    error = "lost the connection to the Wayland compositor '" + compositorName() + "'";
  }
  return false;
}

// The surface and what gives it its role, but not its buffers.
void destroySurface(WaylandWindow& w) {
  if (w.frame != nullptr) libdecor_frame_unref(w.frame);
  if (w.decoration != nullptr) zxdg_toplevel_decoration_v1_destroy(w.decoration);
  if (w.toplevel != nullptr) xdg_toplevel_destroy(w.toplevel);
  if (w.xdgSurface != nullptr) xdg_surface_destroy(w.xdgSurface);
  wl_surface_destroy(w.surface);
  w.frame = nullptr;
  w.decoration = nullptr;
  w.toplevel = nullptr;
  w.xdgSurface = nullptr;
  w.entered.clear();
}

// The surface goes first: once it is gone, the compositor holds none of the
// buffers.
void destroyWindowObjects(WaylandWindow& w) {
  destroySurface(w);
  for (ShmBuffer& b : w.buffers)
    destroyShmBuffer(b);
  w.buffers.clear();
}

void disconnect() {
  for (const auto& w : wwindows)
    destroyWindowObjects(*w);
  wwindows.clear();
  if (decor != nullptr) libdecor_unref(decor);
  decor = nullptr;
  if (decorationManager != nullptr) zxdg_decoration_manager_v1_destroy(decorationManager);
  if (wmBase != nullptr) xdg_wm_base_destroy(wmBase);
  decorationManager = nullptr;
  wmBase = nullptr;
  wmBaseName = decorationManagerName = 0;
  for (const Output& o : outputs)
    releaseOutput(o.output);
  outputs.clear();
  if (shm != nullptr) wl_shm_destroy(shm);
  if (compositor != nullptr) wl_compositor_destroy(compositor);
  if (registry != nullptr) wl_registry_destroy(registry);
  shm = nullptr;
  compositor = nullptr;
  registry = nullptr;
  if (display != nullptr) wl_display_disconnect(display);
  display = nullptr;
}

bool startLibdecor(std::string& error);

// A new surface for the window, as a toplevel of the program's own with the
// compositor's frame, or decorated by libdecor.
bool makeSurface(WaylandWindow& w, std::string& error) {
  w.surface = wl_compositor_create_surface(compositor);
  wl_surface_add_listener(w.surface, &surfaceListener, &w);
  if (decorationManager != nullptr && !w.clientSide) {
    w.xdgSurface = xdg_wm_base_get_xdg_surface(wmBase, w.surface);
    xdg_surface_add_listener(w.xdgSurface, &xdgSurfaceListener, &w);
    w.toplevel = xdg_surface_get_toplevel(w.xdgSurface);
    xdg_toplevel_add_listener(w.toplevel, &toplevelListener, &w);
    xdg_toplevel_set_title(w.toplevel, w.title.c_str());
    xdg_toplevel_set_app_id(w.toplevel, kAppId);
    w.decoration =
        zxdg_decoration_manager_v1_get_toplevel_decoration(decorationManager, w.toplevel);
    zxdg_toplevel_decoration_v1_add_listener(w.decoration, &decorationListener, &w);
    zxdg_toplevel_decoration_v1_set_mode(w.decoration,
                                         ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
    // The first commit, without a buffer, asks for the first configure.
    if (w.mapped) wl_surface_commit(w.surface);
    return true;
  }
  if (!startLibdecor(error)) return false;
  w.frame = libdecor_decorate(decor, w.surface, &frameInterface, &w);
  if (w.frame == nullptr) {
    error = "cannot make a window on the Wayland compositor '" + compositorName() + "'";
    return false;
  }
  libdecor_frame_set_title(w.frame, w.title.c_str());
  libdecor_frame_set_app_id(w.frame, kAppId);
  if (w.mapped) libdecor_frame_map(w.frame);
  return true;
}

bool createWindow(HWND hwnd, const char*, const char* caption, bool, std::string& error) {
  auto& w = *wwindows.emplace_back(std::make_unique<WaylandWindow>());
  w.hwnd = hwnd;
  w.outerWidth = hwnd->width;
  w.outerHeight = hwnd->height;
  w.title = latin1ToUtf8(caption);
  if (!makeSurface(w, error)) {
    destroySurface(w);
    wwindows.pop_back();
    return false;
  }
  w.scale = wantedScale(w);
  hwnd->present = present;
  return true;
}

void showWindow(HWND hwnd) {
  WaylandWindow* w = findWayland(hwnd);
  if (w == nullptr || w->mapped) return;
  w->mapped = true;
  if (w->frame != nullptr) {
    libdecor_frame_map(w->frame);
  } else {
    wl_surface_commit(w->surface);
  }
  wl_display_flush(display);
}

void destroyWindow(HWND hwnd) {
  WaylandWindow* w = findWayland(hwnd);
  if (w == nullptr) return;
  destroyWindowObjects(*w);
  wl_display_flush(display);
  hwnd->present = nullptr;
  std::erase_if(wwindows, [hwnd](const auto& x) { return x->hwnd == hwnd; });
}

// Reads and handles what the compositor sent, waiting for it on the
// connection's file descriptor when `wait` is set and nothing is queued yet.
bool pumpEvents(bool wait, std::string& error) {
  if (display == nullptr) {
    if (!wait) return true;
    error = "no window to wait for";
    return false;
  }
  if (!failure.empty() || wl_display_get_error(display) != 0) return lost(error);
  for (;;) {
    while (wl_display_prepare_read(display) != 0) {
      if (wl_display_dispatch_pending(display) < 0) return lost(error);
    }
    if (wl_display_flush(display) < 0 && errno != EAGAIN) {
      wl_display_cancel_read(display);
      return lost(error);
    }
    pollfd connection = {wl_display_get_fd(display), POLLIN, 0};
    if (poll(&connection, 1, wait ? -1 : 0) > 0) {
      // A hang-up shows itself here as a failed read.
      if (wl_display_read_events(display) < 0) return lost(error);
    } else {
      wl_display_cancel_read(display);
    }
    const int handled = wl_display_dispatch_pending(display);
    if (handled < 0 || !failure.empty()) return lost(error);
    for (const auto& w : wwindows) {
      if (w->clientSide && w->xdgSurface != nullptr && !w->configured) {
        destroySurface(*w);
        if (!makeSurface(*w, error)) return false;
      }
    }
    if (handled > 0 || !wait) return true;
  }
}

void shutdown() {
  disconnect();
}

bool connect(std::string& error) {
  wl_log_set_handler_client(quietLog);
  display = wl_display_connect(nullptr);
  if (display == nullptr) {
    error = "cannot connect to the Wayland compositor '" + compositorName() + "'";
    return false;
  }
  registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registryListener, nullptr);
  // The first round trip lists the globals, the second brings the outputs'
  // scales.
  if (wl_display_roundtrip(display) < 0 || wl_display_roundtrip(display) < 0) {
    lost(error);
    disconnect();
    return false;
  }
  if (compositor == nullptr || shm == nullptr) {
    error = "the Wayland compositor '" + compositorName() + "' offers no shared-memory surfaces";
    disconnect();
    return false;
  }
  if (wmBaseName != 0 && decorationManagerName != 0) {
    wmBase = static_cast<xdg_wm_base*>(
        wl_registry_bind(registry, wmBaseName, &xdg_wm_base_interface, 1));
    xdg_wm_base_add_listener(wmBase, &wmBaseListener, nullptr);
    decorationManager = static_cast<zxdg_decoration_manager_v1*>(wl_registry_bind(
        registry, decorationManagerName, &zxdg_decoration_manager_v1_interface, 1));
  }
  return true;
}

}  // namespace

const Backend waylandBackend = {"wayland",     connect,    createWindow, showWindow,
                                destroyWindow, pumpEvents, shutdown};

namespace {

// Started with the first window it decorates.
bool startLibdecor(std::string& error) {
  if (decor != nullptr) return true;
  // libdecor says on stderr when it finds no decoration plugin; that is no
  // failure (the window comes undecorated), so it must not add to what the
  // program says.
  std::fflush(stderr);
  const int savedStderr = dup(STDERR_FILENO);
  const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (devNull >= 0) dup2(devNull, STDERR_FILENO);
  decor = libdecor_new(display, &decorInterface);
  if (savedStderr >= 0) dup2(savedStderr, STDERR_FILENO);
  for (const int fd : {savedStderr, devNull}) {
    if (fd >= 0) close(fd);
  }
  if (decor == nullptr) {
    error = "cannot set up window decorations on the Wayland compositor '" + compositorName() + "'";
    return false;
  }
  decorated = decorationPluginLoaded();
  return true;
}

}  // namespace
