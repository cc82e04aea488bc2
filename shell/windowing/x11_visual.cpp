#include "shell/windowing/x11_visual.h"

#include <X11/Xutil.h>

#include <bit>
#include <cstring>

namespace {

constexpr int kHostByteOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;

int colourBits(const XVisualInfo& v) {
  return std::popcount(v.red_mask) + std::popcount(v.green_mask) + std::popcount(v.blue_mask);
}

int bitsPerPixel(Display* display, int depth) {
  int count = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
  int bits = 0;
  for (int i = 0; i < count; ++i) {
    if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
  }
  if (formats != nullptr) XFree(formats);
  return bits;
}

// A visual the picture can be shown in: every channel has between 5 and 16
// bits, and pixels are whole bytes.
bool usable(Display* display, const XVisualInfo& v) {
  for (const unsigned long mask : {v.red_mask, v.green_mask, v.blue_mask}) {
    const int bits = std::popcount(mask);
    if (bits < 5 || bits > 16) return false;
  }
  const int bits = bitsPerPixel(display, v.depth);
  return colourBits(v) >= 15 && (bits == 16 || bits == 24 || bits == 32);
}

// 0..255 scaled to the mask's width and moved into place. Rounded up, so that
// a wider channel read back at 8 bits gives the value again whether the
// reader rounds or truncates; for 8 bits this is the value itself.
void fillChannel(unsigned long mask, unsigned long (&table)[256]) {
  const int shift = std::countr_zero(mask);
  const unsigned long top = mask >> shift;
  for (unsigned long v = 0; v < 256; ++v)
    table[v] = (v * top + 254) / 255 << shift;
}

}  // namespace

bool choosePixelFormat(Display* display, int screen, PixelFormat& format, std::string& error) {
  XVisualInfo wanted = {};
  wanted.screen = screen;
  wanted.c_class = TrueColor;
  int count = 0;
  XVisualInfo* visuals =
      XGetVisualInfo(display, VisualScreenMask | VisualClassMask, &wanted, &count);
  const XVisualInfo* best = nullptr;
  for (int i = 0; i < count; ++i) {
    const XVisualInfo& v = visuals[i];
    if (!usable(display, v)) continue;
    if (v.visual == DefaultVisual(display, screen)) {
      best = &v;
      break;
    }
    // More colour first; of equal colour the shallower, which has no alpha.
    if (best == nullptr || colourBits(v) > colourBits(*best) ||
        (colourBits(v) == colourBits(*best) && v.depth < best->depth)) {
      best = &v;
    }
  }
  if (best != nullptr) {
    format.visual = best->visual;
    format.depth = best->depth;
    format.asStored = best->red_mask == 0xFF0000 && best->green_mask == 0xFF00 &&
                      best->blue_mask == 0xFF && bitsPerPixel(display, best->depth) == 32;
    fillChannel(best->red_mask, format.red);
    fillChannel(best->green_mask, format.green);
    fillChannel(best->blue_mask, format.blue);
  }
  if (visuals != nullptr) XFree(visuals);
  if (best == nullptr) error = "the X screen has no true-colour visual of 15 bits or more";
  return best != nullptr;
}

unsigned long devicePixel(const PixelFormat& format, Pixel pixel) {
  return format.red[pixel >> 16 & 0xFF] | format.green[pixel >> 8 & 0xFF] |
         format.blue[pixel & 0xFF];
}

void putPixels(Display* display, Drawable drawable, GC gc, const PixelFormat& format,
               const HWND__& window, const RECT& area, std::vector<char>& scratch) {
  const auto width = static_cast<unsigned>(area.right - area.left);
  const auto height = static_cast<unsigned>(area.bottom - area.top);
  XImage* image = nullptr;
  int x = area.left, y = area.top;
  if (format.asStored) {
    // Straight from the stored pixels, without a copy.
    image = XCreateImage(display, format.visual, static_cast<unsigned>(format.depth), ZPixmap, 0,
                         reinterpret_cast<char*>(const_cast<Pixel*>(window.pixels.data())),
                         static_cast<unsigned>(window.storedWidth),
                         static_cast<unsigned>(window.storedHeight), 32, window.storedWidth * 4);
  } else {
    image = XCreateImage(display, format.visual, static_cast<unsigned>(format.depth), ZPixmap, 0,
                         nullptr, width, height, 32, 0);
    if (image == nullptr) return;
    scratch.resize(static_cast<std::size_t>(image->bytes_per_line) * height);
    image->data = scratch.data();
    const int bytes = image->bits_per_pixel / 8;
    // The low `bytes` bytes of the value, in the host's order.
    const int skip = kHostByteOrder == LSBFirst ? 0 : 4 - bytes;
    for (unsigned row = 0; row < height; ++row) {
      const Pixel* from = window.pixels.data() +
                          static_cast<std::size_t>(area.top + row) * window.storedWidth + area.left;
      char* to = scratch.data() + static_cast<std::size_t>(row) * image->bytes_per_line;
      for (unsigned column = 0; column < width; ++column, to += bytes) {
        const auto value = static_cast<std::uint32_t>(devicePixel(format, from[column]));
        std::memcpy(to, reinterpret_cast<const char*>(&value) + skip, bytes);
      }
    }
    x = y = 0;
  }
  if (image == nullptr) return;
  // Xlib swaps the bytes for a server of the other order.
  image->byte_order = kHostByteOrder;
  XPutImage(display, drawable, gc, image, x, y, area.left, area.top, width, height);
  image->data = nullptr;  // the pixels belong to the surface or the scratch buffer
  XDestroyImage(image);
}
