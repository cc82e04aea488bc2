#pragma once

// The project's own stand-in for the few Win32 types and GDI drawing calls the
// renderer uses, for systems without Win32. Names, types and results follow
// Win32 so the renderer compiles unchanged against either.
//
// Windows here are drawing surfaces: a client-sized buffer of pixels (see
// window_surface.h). A device context draws into one of them, clipped to its
// client area; pens are small records in a fixed table, so creating and
// deleting one allocates nothing.

#include <cstdint>

#define WINAPI
#define CALLBACK

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;
using COLORREF = DWORD;  // 0x00BBGGRR
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

struct POINT {
  LONG x;
  LONG y;
};
using LPPOINT = POINT*;

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

using HANDLE = void*;
using HGDIOBJ = void*;
using HWND = struct HWND__*;
using HDC = struct HDC__*;
using HPEN = struct HPEN__*;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return COLORREF{r} | (COLORREF{g} << 8) | (COLORREF{b} << 16);
}

constexpr int PS_SOLID = 0;
constexpr int DC_PEN = 19;

// A context for the client area of hwnd, clipped to it, with the stock black
// pen selected and the current position at (0, 0). NULL when hwnd is not a
// window or every context is in use.
HDC GetDC(HWND hwnd);

// Gives the context back; a window on a screen shows what was drawn. Returns 1,
// or 0 when dc is not a context of hwnd.
int ReleaseDC(HWND hwnd, HDC dc);

// A solid pen one pixel wide (a width of 0 means the same). NULL for other
// styles or widths, or when the pen table is full.
HPEN CreatePen(int style, int width, COLORREF color);

// Makes the pen current in dc and returns the one it replaces; NULL when either
// handle is not valid.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);

// Moves the current position; the previous one goes to *previous unless it is
// NULL.
BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous);

// Draws from the current position to (x, y), leaving out the end point, in the
// current pen and clipped to the client area; (x, y) becomes the current
// position.
BOOL LineTo(HDC dc, int x, int y);

// The stock objects; only DC_PEN, the pen of each context's own colour,
// exists here. NULL for any other.
HGDIOBJ GetStockObject(int object);

// Sets the colour DC_PEN draws in within dc (black in a new context) and
// returns the previous one; CLR_INVALID when dc is not a context.
COLORREF SetDCPenColor(HDC dc, COLORREF color);

// Releases a pen. As in GDI, FALSE for a pen still selected into a context and
// for a handle that is not a live object; stock objects are left alone.
BOOL DeleteObject(HGDIOBJ object);
