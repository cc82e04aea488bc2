// The process start-up of the windowing layer: what Windows' runtime does
// before and after WinMain.

#include <csignal>
#include <cstdio>
#include <string>

#include "shell/windowing/backend_choice.h"
#include "shell/windowing/windowing.h"

struct HINSTANCE__ {};

int main(int argc, char** argv) {
  // As on Windows, a write to a connection whose other end has gone fails,
  // and the caller says so, instead of a signal ending the program silently.
  std::signal(SIGPIPE, SIG_IGN);
  // Windows hands WinMain the command line after the program name, without
  // the blanks around it; an empty one is NULL.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (!commandLine.empty()) commandLine += ' ';
    commandLine += argv[i];
  }
  const auto blank = commandLine.find_first_not_of(" \t");
  commandLine.erase(0, blank == std::string::npos ? commandLine.size() : blank);
  commandLine.erase(commandLine.find_last_not_of(" \t") + 1);

  std::string error;
  const Backend* backend = chooseBackend(error);
  if (backend == nullptr) {
    std::fprintf(stderr, "mandelbrot: %s\n", error.c_str());
    return 1;
  }
  useBackend(*backend);
  static HINSTANCE__ instance;
  const int code = WinMain(&instance, nullptr, commandLine.empty() ? nullptr : commandLine.data(),
                           SW_SHOWDEFAULT);
  backend->shutdown();
  std::fflush(stdout);
  return code;
}
