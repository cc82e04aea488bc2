#pragma once

// The project's own stand-in for the few GDI drawing calls the renderer uses,
// for systems without Win32. Names, types and results follow Win32 so the
// renderer compiles unchanged against either.
//
// A device context draws into a window's client area (window_surface.h),
// clipped to it. Pens are small records in a fixed table, so creating and
// deleting one allocates nothing. The calls the renderer makes for every
// pixel are defined here, inline: six calls a pixel then cost less than the
// arithmetic that chose the pixel's colour.

#include <array>
#include <cstdint>

#include "render/gdi/window_surface.h"
#include "render/gdi/win32_types.h"

constexpr int PS_SOLID = 0;
constexpr int DC_PEN = 19;

// The tables behind the handles, shared by the calls below and gdi.cpp. Their
// fields are of other types than a pixel's, so that the compiler knows that
// setting a pixel leaves them alone.
namespace gdi {

// Handles are numbers, not addresses: an object's slot in a fixed table, a tag
// for the kind of object and, above them, the slot's generation, which changes
// whenever the slot is freed, so a stale handle matches nothing. Each table
// keeps the handle of every object alive in it, which makes checking a handle
// one comparison.
using Handle = std::uintptr_t;
using Slot = std::ptrdiff_t;
constexpr int kSlotBits = 10;
constexpr int kGenerationShift = kSlotBits + 4;
constexpr Handle kPenTag = Handle{0xB} << kSlotBits;
constexpr Handle kContextTag = Handle{0xD} << kSlotBits;
constexpr Slot kPenSlots = 1 << kSlotBits;
constexpr Slot kStockBlackPen = 0;
constexpr Slot kStockDcPen = 1;  // draws in its context's colour

// The first handle a slot gives out: generation 0.
constexpr Handle firstHandle(Handle tag, Slot slot) {
  return tag | static_cast<Handle>(slot);
}

constexpr Slot slotBits(Handle handle) {
  return static_cast<Slot>(handle & (kPenSlots - 1));
}

// The handle the same slot gives out next: the generation one on, in every
// bit above the tag, so that it takes longest to come round again.
constexpr Handle nextHandle(Handle handle) {
  return handle + (Handle{1} << kGenerationShift);
}

struct Pen {
  Handle handle;  // 0 while the slot is free
  Pixel pixel;
};

struct Context {
  Handle handle;  // 0 while the context is free
  Handle next;    // the handle it gives out next
  HWND window;
  Handle pen;         // 0 while the context is free
  Pixel dcPen;        // the colour of DC_PEN here
  std::int64_t x, y;  // the current position
};

// Every table in one record, which the calls for a pixel then reach from one
// address, keeping more registers for the rest of their work.
//
// Free pen slots wait in a ring, and the one freed longest ago is taken first:
// a stale handle stays refused as long as it can be, and creating a pen never
// waits on the memory that deleting the last one just wrote. The ring holds
// the handle each slot gives out next, so creating a pen reads nothing else.
struct Objects {
  Pen pens[kPenSlots];
  std::array<Handle, kPenSlots> freePens;
  std::uint64_t pensTaken, pensFreed;  // counts of what left and entered the ring
  Context contexts[8];
  Slot contextsUsed;  // no context beyond the first this many was ever given out
};
extern Objects objects;

// The slot a handle names in a table of 2^n slots, or -1 if the handle is not
// that of a live object there.
template <typename Record, Slot n>
Slot slotOf(const void* handle, const Record (&table)[n]) {
  static_assert((n & (n - 1)) == 0 && n <= kPenSlots);
  const auto bits = reinterpret_cast<Handle>(handle);
  const auto slot = static_cast<Slot>(bits & (n - 1));
  return table[slot].handle == bits ? slot : -1;
}

inline Context* contextOf(void* dc) {
  const Slot slot = slotOf(dc, objects.contexts);
  return slot < 0 ? nullptr : &objects.contexts[slot];
}

// Whether a context holds the pen. Looking at the few contexts ever used
// costs less than a count on every pen: selecting a pen then only writes the
// context, and nothing waits on a count stored a moment before.
inline bool isSelected(Handle pen) {
  for (Slot slot = 0; slot < objects.contextsUsed; ++slot) {
    if (objects.contexts[slot].pen == pen) return true;
  }
  return false;
}

// Sets the stored pixel (x, y) of the window, if there is one, and marks it
// changed if it was not already that colour.
inline void setPixel(HWND window, std::int64_t x, std::int64_t y, Pixel pixel) {
  const auto width = static_cast<std::uint64_t>(window->storedWidth);
  if (static_cast<std::uint64_t>(x) >= width ||
      static_cast<std::uint64_t>(y) >= static_cast<std::uint64_t>(window->storedHeight)) {
    return;
  }
  Pixel& target = window->pixels[static_cast<std::uint64_t>(y) * width + x];
  if (target == pixel) return;
  target = pixel;
  markChanged(window, static_cast<LONG>(x), static_cast<LONG>(y));
}

// Sets the pixels of the line from (x0, y0) to (x1, y1), end point left out.
void drawLine(HWND window, Pixel pixel, std::int64_t x0, std::int64_t y0, std::int64_t x1,
              std::int64_t y1);

}  // namespace gdi

// A context for the client area of hwnd, clipped to it, with the stock black
// pen selected and the current position at (0, 0). NULL when hwnd is not a
// window or every context is in use.
HDC GetDC(HWND hwnd);

// Gives the context back; a window on a screen shows what was drawn. Returns 1,
// or 0 when dc is not a context of hwnd.
int ReleaseDC(HWND hwnd, HDC dc);

// A solid pen one pixel wide (a width of 0 means the same). NULL for other
// styles or widths, or when the pen table is full.
inline HPEN CreatePen(int style, int width, COLORREF color) {
  using namespace gdi;
  if (style != PS_SOLID || static_cast<unsigned>(width) > 1 ||
      objects.pensTaken == objects.pensFreed) {
    return nullptr;
  }
  const Handle handle = objects.freePens[objects.pensTaken++ % kPenSlots];
  Pen& pen = objects.pens[slotBits(handle)];
  pen.handle = handle;
  pen.pixel = pixelOf(color);
  return reinterpret_cast<HPEN>(pen.handle);
}

// Makes the pen current in dc and returns the one it replaces; NULL when either
// handle is not valid.
inline HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  using namespace gdi;
  Context* context = contextOf(dc);
  const Slot slot = slotOf(object, objects.pens);
  if (context == nullptr || slot < 0) return nullptr;
  const Handle previous = context->pen;
  context->pen = reinterpret_cast<Handle>(object);
  return reinterpret_cast<HGDIOBJ>(previous);
}

// Moves the current position; the previous one goes to *previous unless it is
// NULL.
inline BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
  gdi::Context* context = gdi::contextOf(dc);
  if (context == nullptr) return FALSE;
  if (previous != nullptr)
    *previous = {static_cast<LONG>(context->x), static_cast<LONG>(context->y)};
  context->x = x;
  context->y = y;
  return TRUE;
}

// Draws from the current position to (x, y), leaving out the end point, in the
// current pen and clipped to the client area; (x, y) becomes the current
// position. With n the longer of the two distances, pixel i (0 <= i < n) lies
// i * d / n from the start along each axis, d being the distance along it,
// rounded to the nearest pixel, halves away from the start.
inline BOOL LineTo(HDC dc, int x, int y) {
  using namespace gdi;
  Context* context = contextOf(dc);
  if (context == nullptr) return FALSE;
  const Slot pen = slotBits(context->pen);
  const Pixel pixel = pen == kStockDcPen ? context->dcPen : objects.pens[pen].pixel;
  const std::int64_t x0 = context->x, y0 = context->y;
  const auto dx = static_cast<std::uint64_t>(x - x0 + 1),
             dy = static_cast<std::uint64_t>(y - y0 + 1);
  if (dx <= 2 && dy <= 2) {
    // A line at most one step long sets its start pixel alone, or none: this
    // is how single pixels are set, so it skips the walk.
    if (dx != 1 || dy != 1) setPixel(context->window, x0, y0, pixel);
  } else {
    drawLine(context->window, pixel, x0, y0, x, y);
  }
  context->x = x;
  context->y = y;
  return TRUE;
}

// The stock objects; only DC_PEN, the pen of each context's own colour,
// exists here. NULL for any other.
inline HGDIOBJ GetStockObject(int object) {
  return object == DC_PEN ? reinterpret_cast<HGDIOBJ>(gdi::objects.pens[gdi::kStockDcPen].handle)
                          : nullptr;
}

// Sets the colour DC_PEN draws in within dc (black in a new context) and
// returns the previous one; CLR_INVALID when dc is not a context.
inline COLORREF SetDCPenColor(HDC dc, COLORREF color) {
  gdi::Context* context = gdi::contextOf(dc);
  if (context == nullptr) return CLR_INVALID;
  const COLORREF previous = colorOf(context->dcPen);
  context->dcPen = pixelOf(color);
  return previous;
}

// Releases a pen. As in GDI, FALSE for a pen still selected into a context and
// for a handle that is not a live object; stock objects are left alone.
inline BOOL DeleteObject(HGDIOBJ object) {
  using namespace gdi;
  const Slot slot = slotOf(object, objects.pens);
  if (slot < 0) return FALSE;
  if (slot <= kStockDcPen) return TRUE;
  if (isSelected(reinterpret_cast<Handle>(object))) return FALSE;
  objects.pens[slot].handle = 0;
  objects.freePens[objects.pensFreed++ % kPenSlots] = nextHandle(reinterpret_cast<Handle>(object));
  return TRUE;
}
