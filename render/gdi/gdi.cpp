#include "render/gdi/gdi.h"

#include <algorithm>
#include <cstdlib>

#include "render/gdi/window_surface.h"

namespace {

// Handles are numbers, not addresses: a tag for the kind of object, its slot
// in a fixed table and the slot's generation, which changes whenever the slot
// is freed, so a stale handle matches nothing. Each table keeps the handle of
// every object alive in it, which makes checking a handle one comparison.
using HandleBits = std::uint32_t;
constexpr int kSlotBits = 10;
constexpr HandleBits kPenTag = 0xBu << 28;
constexpr HandleBits kContextTag = 0xDu << 28;

HandleBits handleBits(HandleBits tag, int slot, std::uint16_t generation) {
  return tag | HandleBits{generation} << kSlotBits | static_cast<HandleBits>(slot);
}

// The slot a handle names in a table of 2^n slots, or -1 if the handle is not
// that of a live object there.
template <typename Slot, int n>
int slotOf(const void* handle, const Slot (&table)[n]) {
  static_assert((n & (n - 1)) == 0 && n <= 1 << kSlotBits);
  const auto bits = reinterpret_cast<std::uintptr_t>(handle);
  const auto slot = static_cast<int>(bits & (n - 1));
  return table[slot].handle == bits ? slot : -1;
}

// Pens. Creating and deleting them allocates nothing.
constexpr int kPenSlots = 1 << kSlotBits;
constexpr int kStockBlackPen = 0;
constexpr int kStockDcPen = 1;  // draws in its context's colour

struct Pen {
  HandleBits handle = 0;  // 0 while the slot is free
  Pixel pixel = 0;
  std::int32_t selections = 0;  // contexts holding the pen
  std::uint16_t generation = 0;
};

Pen pens[kPenSlots] = {{handleBits(kPenTag, kStockBlackPen, 0), 0, 0, 0},
                       {handleBits(kPenTag, kStockDcPen, 0), 0, 0, 0}};
int freeSlots[kPenSlots];
int freeCount = 0;
int neverUsed = kStockDcPen + 1;

bool isStock(int slot) {
  return slot <= kStockDcPen;
}

HGDIOBJ handleOf(int pen) {
  return reinterpret_cast<HGDIOBJ>(std::uintptr_t{pens[pen].handle});
}

void freePen(int slot) {
  Pen& pen = pens[slot];
  pen.handle = 0;
  ++pen.generation;
  freeSlots[freeCount++] = slot;
}

// Stock pens keep a count too, though they are never freed: one branch
// fewer on the way of every pixel.
void select(int slot) {
  ++pens[slot].selections;
}

void deselect(int slot) {
  --pens[slot].selections;
}

// Device contexts, a few at a time as on Windows.
struct Context {
  HandleBits handle = 0;  // 0 while the context is free
  std::uint16_t generation = 0;
  HWND window = nullptr;
  int pen = kStockBlackPen;
  Pixel dcPen = 0;  // the colour of DC_PEN here
  POINT position = {0, 0};
};

Context contexts[8];

Context* contextOf(HDC dc) {
  const int slot = slotOf(dc, contexts);
  return slot < 0 ? nullptr : &contexts[slot];
}

// GDI on Windows NT keeps coordinates to 27 bits; so does this layer, which
// keeps every sum below in 64 bits.
constexpr std::int64_t kCoordinateLimit = std::int64_t{1} << 27;

bool withinLimits(std::int64_t v) {
  return v > -kCoordinateLimit && v < kCoordinateLimit;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && a < 0 ? 1 : 0);
}
std::int64_t ceilDiv(std::int64_t a, std::int64_t b) {
  return -floorDiv(-a, b);
}

// The visible part of a line: pixels first to last, with the minor-axis offset
// and remainder at the first of them.
struct Walk {
  std::int64_t first, last;  // the range of pixel indices to set
  std::int64_t offset;       // minor-axis steps taken before pixel `first`
  std::int64_t remainder;    // and the remainder at that pixel
};

// The range of i for which start + step * i stays within 0 .. limit - 1.
void axisRange(std::int64_t start, std::int64_t step, std::int64_t limit, std::int64_t& low,
               std::int64_t& high) {
  low = step > 0 ? -start : start - (limit - 1);
  high = step > 0 ? limit - 1 - start : start;
}

// Sets the pixels of the line from (x0, y0) towards (x1, y1), end point left
// out, that fall inside the client area. With n the longer of the two
// distances and a the shorter, pixel i (0 <= i < n) lies i steps along the
// major axis and offset(i) = floor((2ia + n) / 2n) steps, that is i * a / n
// rounded, along the minor one. The visible range of i is worked out before
// anything is drawn, so a line far outside the area costs nothing. Kept out of
// line so that LineTo's one-pixel path stays short.
[[gnu::noinline]] void drawLine(HWND window, Pixel pixel, std::int64_t x0, std::int64_t y0,
                                std::int64_t x1, std::int64_t y1) {
  const std::int64_t width = window->storedWidth, height = window->storedHeight;
  const std::int64_t dx = x1 - x0, dy = y1 - y0;
  const std::int64_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  const bool xMajor = std::abs(dx) >= std::abs(dy);
  const std::int64_t n = xMajor ? std::abs(dx) : std::abs(dy);
  const std::int64_t a = xMajor ? std::abs(dy) : std::abs(dx);
  if (n == 0) return;

  Walk walk = {0, n - 1, 0, n};
  const bool inside = std::min(x0, x1) >= 0 && std::max(x0, x1) < width && std::min(y0, y1) >= 0 &&
                      std::max(y0, y1) < height;
  if (!inside) {
    std::int64_t xLow, xHigh, yLow, yHigh;
    axisRange(x0, sx, width, xLow, xHigh);
    axisRange(y0, sy, height, yLow, yHigh);
    const std::int64_t majorLow = xMajor ? xLow : yLow, majorHigh = xMajor ? xHigh : yHigh;
    const std::int64_t minorLow = xMajor ? yLow : xLow, minorHigh = xMajor ? yHigh : xHigh;
    walk.first = std::max(walk.first, majorLow);
    walk.last = std::min(walk.last, majorHigh);
    // offset(i) >= minorLow from i = ceil((2n minorLow - n) / 2a) on, and
    // offset(i) <= minorHigh up to the i before ceil((2n (minorHigh + 1) - n) / 2a).
    if (a == 0) {
      if (minorLow > 0 || minorHigh < 0) return;
    } else {
      walk.first = std::max(walk.first, ceilDiv(2 * n * minorLow - n, 2 * a));
      walk.last = std::min(walk.last, ceilDiv(2 * n * (minorHigh + 1) - n, 2 * a) - 1);
    }
    if (walk.first > walk.last) return;
    const std::int64_t numerator = 2 * walk.first * a + n;
    walk.offset = numerator / (2 * n);
    walk.remainder = numerator % (2 * n);
  }

  const std::int64_t majorStep = xMajor ? sx : sy * width;
  const std::int64_t minorStep = xMajor ? sy * width : sx;
  const std::int64_t x = x0 + sx * (xMajor ? walk.first : walk.offset);
  const std::int64_t y = y0 + sy * (xMajor ? walk.offset : walk.first);
  std::int64_t at = y * width + x;
  std::int64_t remainder = walk.remainder;
  const std::int64_t firstAt = at;
  std::int64_t lastAt = at;
  bool changed = false;
  for (std::int64_t i = walk.first; i <= walk.last; ++i) {
    Pixel& target = window->pixels[static_cast<std::size_t>(at)];
    changed |= target != pixel;
    target = pixel;
    lastAt = at;
    at += majorStep;
    remainder += 2 * a;
    if (remainder >= 2 * n) {
      remainder -= 2 * n;
      at += minorStep;
    }
  }
  // A line's pixels lie within the box of its two ends.
  if (changed) {
    markChanged(window, static_cast<LONG>(firstAt % width), static_cast<LONG>(firstAt / width));
    markChanged(window, static_cast<LONG>(lastAt % width), static_cast<LONG>(lastAt / width));
  }
}

// Sets a pixel whose value changes, and marks it damaged.
void changePixel(HWND window, std::int64_t x, std::int64_t y, Pixel pixel) {
  window->pixels[static_cast<std::size_t>(y * window->storedWidth + x)] = pixel;
  markChanged(window, static_cast<LONG>(x), static_cast<LONG>(y));
}

}  // namespace

HDC GetDC(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  for (int slot = 0; slot < std::ssize(contexts); ++slot) {
    Context& context = contexts[slot];
    if (context.handle == 0) {
      context.handle = handleBits(kContextTag, slot, context.generation);
      context.window = hwnd;
      context.pen = kStockBlackPen;
      select(kStockBlackPen);
      context.dcPen = 0;
      context.position = {0, 0};
      return reinterpret_cast<HDC>(std::uintptr_t{context.handle});
    }
  }
  return nullptr;
}

int ReleaseDC(HWND hwnd, HDC dc) {
  Context* context = contextOf(dc);
  if (context == nullptr || context->window != hwnd) return 0;
  deselect(context->pen);
  context->handle = 0;
  ++context->generation;
  if (hwnd->present != nullptr) hwnd->present(hwnd);
  return 1;
}

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style != PS_SOLID || static_cast<unsigned>(width) > 1) return nullptr;
  int slot;
  if (freeCount > 0) {
    slot = freeSlots[--freeCount];
  } else if (neverUsed < kPenSlots) {
    slot = neverUsed++;
  } else {
    return nullptr;
  }
  Pen& pen = pens[slot];
  pen.handle = handleBits(kPenTag, slot, pen.generation);
  pen.pixel = pixelOf(color);
  return static_cast<HPEN>(handleOf(slot));
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  Context* context = contextOf(dc);
  const int slot = slotOf(object, pens);
  if (context == nullptr || slot < 0) return nullptr;
  const int previous = context->pen;
  select(slot);
  context->pen = slot;
  const HGDIOBJ previousHandle = handleOf(previous);
  deselect(previous);
  return previousHandle;
}

BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
  Context* context = contextOf(dc);
  if (context == nullptr) return FALSE;
  if (previous != nullptr) *previous = context->position;
  context->position = {x, y};
  return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
  Context* context = contextOf(dc);
  if (context == nullptr) return FALSE;
  const std::int64_t x0 = context->position.x, y0 = context->position.y;
  HWND window = context->window;
  const Pixel pixel = context->pen == kStockDcPen ? context->dcPen : pens[context->pen].pixel;
  const std::uint64_t dx = x - x0 + 1, dy = y - y0 + 1;  // 0 to 2 for a step of at most one
  if (dx <= 2 && dy <= 2 && (dx != 1 || dy != 1)) {
    // A line one step long sets its start pixel alone. This is how single
    // pixels are set, so it goes the short way.
    if (static_cast<std::uint64_t>(x0) < static_cast<std::uint64_t>(window->storedWidth) &&
        static_cast<std::uint64_t>(y0) < static_cast<std::uint64_t>(window->storedHeight)) {
      const Pixel target = window->pixels[static_cast<std::size_t>(y0 * window->storedWidth + x0)];
      if (target != pixel) changePixel(window, x0, y0, pixel);
    }
  } else if (withinLimits(x0) && withinLimits(y0) && withinLimits(x) && withinLimits(y)) {
    drawLine(window, pixel, x0, y0, x, y);
  } else {
    return FALSE;
  }
  context->position = {x, y};
  return TRUE;
}

HGDIOBJ GetStockObject(int object) {
  return object == DC_PEN ? handleOf(kStockDcPen) : nullptr;
}

COLORREF SetDCPenColor(HDC dc, COLORREF color) {
  Context* context = contextOf(dc);
  if (context == nullptr) return CLR_INVALID;
  const COLORREF previous = colorOf(context->dcPen);
  context->dcPen = pixelOf(color);
  return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
  const int slot = slotOf(object, pens);
  if (slot < 0) return FALSE;
  if (isStock(slot)) return TRUE;
  if (pens[slot].selections > 0) return FALSE;  // as GDI, which refuses a selected pen
  freePen(slot);
  return TRUE;
}
