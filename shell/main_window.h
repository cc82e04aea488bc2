#pragma once

#include "shell/win32.h"

// The name the window class is registered and the window created under.
extern char szClassName[];

// Paints the picture on every paint request and ends the message loop when the
// window is destroyed; everything else goes to the default procedure.
LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
