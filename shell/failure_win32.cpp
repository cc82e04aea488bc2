#include <windows.h>

#include <string>

#include "shell/failure.h"

void reportFailure(const char* what) {
  // Taken first: the calls below may set an error of their own.
  const DWORD error = GetLastError();
  std::string message = std::string(what) + "\n\n";
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  if (length > 0) {
    message.append(text, length);
  } else {
    message += "Error " + std::to_string(error) + ".";
  }
  LocalFree(text);
  // A program without a console has nowhere else to say it.
  MessageBoxA(nullptr, message.c_str(), "Mandelbrot's Set", MB_ICONERROR | MB_OK);
}
