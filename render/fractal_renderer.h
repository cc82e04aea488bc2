#pragma once

#include "render/win32.h"

// Sets pixel (x, y) of dc in the colour of the current pen.
void drawPoint(HDC dc, int x, int y);

// Draws the whole picture into the client area of hwnd, row by row: members of
// the set black, escaping points grey by their escape step.
void DrawFractal(HWND hwnd);
