#pragma once

// The few Win32 types the project's own layers use, for systems without
// Win32, spelt as Win32 spells them.

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
