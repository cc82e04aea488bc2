#pragma once

// The Win32 windowing calls the shell uses: Windows' own where there is
// Windows, the project's own layer everywhere else.
#ifdef _WIN32
#include <windows.h>
#else
#include "shell/windowing/windowing.h"
#endif
