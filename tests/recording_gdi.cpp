// A stand-in for the seven drawing calls that records what the renderer asks
// of them, so the order of pixels and the life of every pen can be checked.

#include "tests/recording_gdi.h"

struct HWND__ {};
struct HDC__ {};
struct HPEN__ {};

Recording recording;

namespace {

HDC__ theContext;

// Pens are numbered from 1; their handles are those numbers.
HPEN penHandle(std::size_t number) {
  return reinterpret_cast<HPEN>(number);
}
std::size_t penNumber(HGDIOBJ object) {
  return reinterpret_cast<std::size_t>(object);
}
constexpr std::size_t kOriginalPen = 1000000000;

}  // namespace

HDC GetDC(HWND hwnd) {
  ++recording.getDCs;
  recording.window = hwnd;
  recording.selected = kOriginalPen;
  return &theContext;
}

int ReleaseDC(HWND hwnd, HDC dc) {
  ++recording.releaseDCs;
  return hwnd == recording.window && dc == &theContext;
}

HPEN CreatePen(int style, int width, COLORREF color) {
  recording.pens.push_back({style, width, color, false});
  return penHandle(recording.pens.size());
}

HGDIOBJ SelectObject(HDC, HGDIOBJ object) {
  const std::size_t previous = recording.selected;
  recording.selected = penNumber(object);
  return reinterpret_cast<HGDIOBJ>(previous);
}

BOOL MoveToEx(HDC, int x, int y, LPPOINT previous) {
  recording.position = {x, y};
  if (previous != nullptr) ++recording.previousPositionsAsked;
  return TRUE;
}

BOOL LineTo(HDC, int x, int y) {
  const std::size_t pen = recording.selected;
  const COLORREF color = pen == kOriginalPen ? 0xFFFFFFFF : recording.pens[pen - 1].color;
  recording.lines.push_back({recording.position, {x, y}, color, pen});
  recording.position = {x, y};
  return TRUE;
}

BOOL DeleteObject(HGDIOBJ object) {
  const std::size_t pen = penNumber(object);
  if (pen == 0 || pen > recording.pens.size() || recording.pens[pen - 1].deleted) return FALSE;
  if (recording.selected == pen) ++recording.deletedWhileSelected;
  recording.pens[pen - 1].deleted = true;
  return TRUE;
}
