#pragma once

#include <cstddef>
#include <vector>

#include "render/gdi/gdi.h"

struct RecordedPen {
  int style;
  int width;
  COLORREF color;
  bool deleted;
};

struct RecordedLine {
  POINT from;
  POINT to;
  COLORREF color;
  std::size_t pen;
};

struct Recording {
  HWND window = nullptr;
  int getDCs = 0;
  int releaseDCs = 0;
  std::size_t selected = 0;
  int deletedWhileSelected = 0;
  int previousPositionsAsked = 0;
  POINT position = {0, 0};
  std::vector<RecordedPen> pens;
  std::vector<RecordedLine> lines;
};

extern Recording recording;
