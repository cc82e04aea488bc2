// The program's own entry: the window class, the main window, the message
// loop and the window procedure. Written against Win32, for Windows itself
// and for the project's own windowing layer alike.

#include "shell/main_window.h"

#include "render/fractal_renderer.h"
#include "shell/failure.h"

char szClassName[] = "WindowsApp";

namespace {

constexpr char kCaption[] = "Mandelbrot's Set";
constexpr int kWindowSize = 554;  // outer size, the same as the picture's grid

}  // namespace

int WINAPI WinMain(HINSTANCE hThisInstance, HINSTANCE, LPSTR, int nFunsterStil) {
  WNDCLASSEXA wincl = {};
  wincl.cbSize = sizeof wincl;
  wincl.style = CS_DBLCLKS;
  wincl.lpfnWndProc = WindowProcedure;
  wincl.cbClsExtra = 0;
  wincl.cbWndExtra = 0;
  wincl.hInstance = hThisInstance;
  wincl.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  wincl.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  // A system colour given as its index plus one: this names the scroll-bar grey.
  wincl.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BACKGROUND));
  wincl.lpszMenuName = nullptr;
  wincl.lpszClassName = szClassName;
  wincl.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
  if (RegisterClassExA(&wincl) == 0) {
    reportFailure("could not register the window class");
    return 1;
  }

  HWND hwnd =
      CreateWindowExA(0, szClassName, kCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                      kWindowSize, kWindowSize, HWND_DESKTOP, nullptr, hThisInstance, nullptr);
  if (hwnd == nullptr) {
    reportFailure("could not create the window");
    return 1;
  }
  ShowWindow(hwnd, nFunsterStil);

  MSG messages;
  BOOL status;
  while ((status = GetMessageA(&messages, nullptr, 0, 0)) != 0) {
    if (status == -1) {
      reportFailure("could not get the next message");
      return 1;
    }
    TranslateMessage(&messages);
    DispatchMessageA(&messages);
  }
  return static_cast<int>(messages.wParam);
}

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT:
      // Validating stops the requests, so the picture is drawn once per
      // exposure and the program sits idle in between. It comes first: an
      // exposure that arrives while the picture is drawn brings another paint.
      ValidateRect(hwnd, nullptr);
      DrawFractal(hwnd);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}
