#include "bench/wine_harness.h"

#include <X11/Xatom.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void setWineEnvironment() {
  setenv("WINEDEBUG", "-all", 1);
  // Nothing here needs .NET or HTML, so Wine must not offer to install them.
  setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
}

}  // namespace

int runQuietly(const std::vector<std::string>& command) {
  setWineEnvironment();
  const pid_t pid = fork();
  if (pid == 0) {
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, STDIN_FILENO);
    dup2(devnull, STDOUT_FILENO);
    dup2(devnull, STDERR_FILENO);
    unsetenv("DISPLAY");
    std::vector<char*> argv;
    for (const std::string& a : command)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = -1;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
  return status;
}

bool createWinePrefix() {
  // Without a display the set-up shows no windows anywhere, and the session
  // it leaves behind holds no display a later program would have to share.
  if (runQuietly({WINEBOOT_PROGRAM, "--init"}) != 0) return false;
  return runQuietly({WINESERVER_PROGRAM, "-w"}) == 0;
}

Child startUnderWine(const std::string& exe, const std::string& display) {
  setWineEnvironment();
  return startProgram(WINE_PROGRAM, {exe}, display);
}

void stopWine() {
  runQuietly({WINESERVER_PROGRAM, "-k"});
  runQuietly({WINESERVER_PROGRAM, "-w"});
}

ClientSize visibleClientArea(Display* display, ::Window window) {
  // Wine draws no frame of its own into a window whose Motif hints ask the
  // window manager for decorations (its default): it leaves caption and
  // borders outside and its X window is exactly the client area. Otherwise
  // the frame is inside, where only Wine knows its size.
  const Atom motifHints = XInternAtom(display, "_MOTIF_WM_HINTS", False);
  constexpr long kDecorationsGiven = 1 << 1;
  Atom type;
  int format;
  unsigned long items, remaining;
  unsigned char* data = nullptr;
  bool frameOutside = false;
  if (XGetWindowProperty(display, window, motifHints, 0, 5, False, AnyPropertyType, &type, &format,
                         &items, &remaining, &data) == Success &&
      data != nullptr && format == 32 && items >= 3) {
    const long* hints = reinterpret_cast<long*>(data);
    frameOutside = (hints[0] & kDecorationsGiven) != 0 && hints[2] != 0;
  }
  if (data != nullptr) XFree(data);
  XWindowAttributes attributes;
  if (!frameOutside || !XGetWindowAttributes(display, window, &attributes)) return {};
  return {attributes.width, attributes.height};
}
