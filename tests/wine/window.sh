#!/usr/bin/env bash
# The Windows build under Wine, in a fresh prefix on a private Xvfb: its
# caption, exactly the picture in the client area, no CPU once drawn (Wine's
# own services take a few ticks), and exit status 0 once asked to close.
#   window.sh EXE REFERENCE.png
exe=$1
[ -f "$exe" ] || { echo "skipped: no mingw-w64 build"; exit 77; }
# Wine starts and draws more slowly than a native program.
export TIME_SCALE=$((${TIME_SCALE:-1} * 2))
# shellcheck source-path=SCRIPTDIR/.. source=x11/common.sh
. "$(dirname "$0")/../x11/common.sh" wine "$2" none
require wine wineboot wineserver
# Nothing here needs .NET or HTML, so Wine must not offer to install them.
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine ends first, while its X server is still there to say goodbye to.
trap 'set +e; kill -9 ${pid:-}; wineserver -k; wineserver -w; kill "${pids[@]}" 2>/dev/null; rm -rf "$scratch"' EXIT

# Made without a display, the prefix shows no windows and leaves no session behind.
{ env -u DISPLAY wineboot --init >/dev/null 2>&1 && wineserver -w; } || fail "wineboot --init failed"
start_x -screen 0 800x700x24
start_program "$exe"
caption=$(xprop -id "$window" WM_NAME _NET_WM_NAME)
[ "$caption" = $'WM_NAME(STRING) = "Mandelbrot\'s Set"\n_NET_WM_NAME(UTF8_STRING) = "Mandelbrot\'s Set"' ] || fail "$caption"

# Wine leaves the frame to the window manager (there is none), so the X window
# is the client area: the 554 x 554 outer size less the frame Win32 reckons.
read -r width height <<<"$(client_size)"
((width > 500 && width < 554 && height > 480 && height < 554)) || fail "client area ${width}x${height}"
until_within 15 shows "$width" "$height" || fail "the picture is wrong: $seen"
stays_idle "$pid" 5

# Without a window manager no standard tool sends WM_DELETE_WINDOW; Wine
# turns both it and Alt+F4 into the same WM_SYSCOMMAND SC_CLOSE.
xdotool key --window "$window" alt+F4
exits_with 0 15
