#pragma once

// The Win32 drawing calls the renderer uses: Windows' own where there is
// Windows, the project's stand-in everywhere else.
#ifdef _WIN32
#include <windows.h>
#else
#include "render/gdi/gdi.h"
#endif
