#pragma once

// The project's own stand-in for the few Win32 windowing calls the shell
// uses, for systems without Win32. Names, types, constants and results follow
// Win32, so the shell compiles unchanged against either. Windows are drawing
// surfaces of the drawing layer, put on a screen by a backend (X11 on Linux).

#include <cstdint>

#include "render/gdi/gdi.h"

using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using WPARAM = UINT_PTR;
using LPARAM = INT_PTR;
using LRESULT = INT_PTR;
using ATOM = WORD;
using LPSTR = char*;
using LPCSTR = const char*;
using HINSTANCE = struct HINSTANCE__*;
using HICON = struct HICON__*;
using HCURSOR = struct HICON__*;
using HBRUSH = struct HBRUSH__*;
using HMENU = struct HMENU__*;
using LPVOID = void*;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSEXA {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
  HICON hIconSm;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;

constexpr UINT CS_DBLCLKS = 0x0008;
constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);
#define HWND_DESKTOP (static_cast<HWND>(nullptr))

constexpr int SW_SHOWDEFAULT = 10;

// Resource names given by number, as Win32 spells them.
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<WORD>(i))))
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDC_ARROW MAKEINTRESOURCEA(32512)

// A class brush may name a system colour, as its index plus one.
constexpr int COLOR_BACKGROUND = 1;

// Registers a window class. Returns 0 when the record is malformed, has no
// procedure or name, or the name is taken (names compare case-sensitively).
ATOM RegisterClassExA(const WNDCLASSEXA* wc);

// Creates a top-level window of a registered class whose outer size is
// width x height, at the system's default position (x and y are taken to be
// CW_USEDEFAULT). NULL on failure; GetLastErrorText() then says why.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param);

// Shows the window, whatever the show state (nothing here hides a window), and
// makes all of its client area invalid, so that it is painted straight away.
// Returns whether it was visible before.
BOOL ShowWindow(HWND hwnd, int cmdShow);

// Sends WM_DESTROY to the window's procedure, then takes the window down.
BOOL DestroyWindow(HWND hwnd);

// Takes the next message: posted ones first, then WM_QUIT once
// PostQuitMessage asked for it, then WM_PAINT for a window with an invalid
// area; otherwise waits. Returns 0 for WM_QUIT, -1 when the windowing system
// fails (GetLastErrorText() says how), and nonzero otherwise. The filters are
// not supported: pass NULL, 0, 0.
BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);

// No keyboard messages are generated, so there is nothing to translate.
BOOL TranslateMessage(const MSG* msg);

// Calls the procedure of the message's window.
LRESULT DispatchMessageA(const MSG* msg);

// WM_CLOSE destroys the window; every other message is ignored.
LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

void PostQuitMessage(int exitCode);

// Marks the whole client area valid. Only rect NULL is supported: FALSE for
// any other.
BOOL ValidateRect(HWND hwnd, const RECT* rect);

// The stock icon and cursor; only IDI_APPLICATION and IDC_ARROW exist.
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);

// What the last failing call of this layer ran into, in words.
const char* GetLastErrorText();

// The program's entry point, which the layer's start-up calls as Windows'
// does: with the instance, no previous instance, the command line after the
// program name (NULL when there is none) and the initial show state.
int WINAPI WinMain(HINSTANCE hThisInstance, HINSTANCE hPrevInstance, LPSTR lpszArgument,
                   int nFunsterStil);
