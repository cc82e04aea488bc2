#include "render/gdi/gdi.h"

#include <algorithm>
#include <iterator>

namespace gdi {

// At first every pen slot but the stock pens' is free, and every slot gives out
// its first handle; all set before any code runs.
constinit Objects objects = [] {
  Objects o{};
  o.pens[kStockBlackPen].handle = firstHandle(kPenTag, kStockBlackPen);
  o.pens[kStockDcPen].handle = firstHandle(kPenTag, kStockDcPen);
  for (Slot slot = kStockDcPen + 1; slot < kPenSlots; ++slot)
    o.freePens[slot - kStockDcPen - 1] = firstHandle(kPenTag, slot);
  for (Slot slot = 0; slot < std::ssize(o.contexts); ++slot)
    o.contexts[slot].next = firstHandle(kContextTag, slot);
  o.pensFreed = kPenSlots - kStockDcPen - 1;
  return o;
}();

void drawLine(HWND window, Pixel pixel, std::int64_t x0, std::int64_t y0, std::int64_t x1,
              std::int64_t y1) {
  const std::int64_t dx = x1 - x0, dy = y1 - y0;
  const std::int64_t ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
  const std::int64_t n = std::max(ax, ay);
  // Each axis keeps twice its rounding remainder, which a step brings back
  // below 2n.
  std::int64_t x = x0, y = y0, rx = n, ry = n;
  for (std::int64_t i = 0; i < n; ++i) {
    setPixel(window, x, y, pixel);
    rx += 2 * ax;
    ry += 2 * ay;
    if (rx >= 2 * n) {
      rx -= 2 * n;
      x += dx < 0 ? -1 : 1;
    }
    if (ry >= 2 * n) {
      ry -= 2 * n;
      y += dy < 0 ? -1 : 1;
    }
  }
}

}  // namespace gdi

using namespace gdi;

HDC GetDC(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  for (Context& context : objects.contexts) {
    if (context.handle == 0) {
      const Slot slot = &context - objects.contexts;
      objects.contextsUsed = std::max(objects.contextsUsed, slot + 1);
      context.handle = context.next;
      context.window = hwnd;
      context.pen = objects.pens[kStockBlackPen].handle;
      context.dcPen = 0;
      context.x = context.y = 0;
      return reinterpret_cast<HDC>(context.handle);
    }
  }
  return nullptr;
}

int ReleaseDC(HWND hwnd, HDC dc) {
  Context* context = contextOf(dc);
  if (context == nullptr || context->window != hwnd) return 0;
  context->next = nextHandle(context->handle);
  context->handle = 0;
  context->pen = 0;
  if (hwnd->present != nullptr) hwnd->present(hwnd);
  return 1;
}
