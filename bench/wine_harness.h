#pragma once

// Running the Windows build of the program under Wine, for its benchmark. Wine is told which prefix
// to use by WINEPREFIX, as usual.

#include <string>
#include <vector>

#include "bench/x_harness.h"

// Runs a program to its end with DISPLAY unset and its output discarded, and
// returns its exit status as waitpid gives it (-1 when it could not start).
int runQuietly(const std::vector<std::string>& command);

// Fills the empty prefix $WINEPREFIX and waits until Wine has finished with it.
bool createWinePrefix();

// Starts the Windows program under Wine on the given display. Wine's loader
// runs the program in the very process it was started as, so the child's pid
// is the Windows process's, and its exit status the program's exit code.
Child startUnderWine(const std::string& exe, const std::string& display);

// Ends every process of the prefix's Wine session and waits for its server.
void stopWine();

// The width and height of the client area that the program's X window shows,
// starting at the X window's top-left pixel; zero when that can't be told.
struct ClientSize {
  int width = 0;
  int height = 0;
};
ClientSize visibleClientArea(Display* display, ::Window window);
