#!/usr/bin/env bash
# The Windows build under Wine, in a fresh prefix on a private Xvfb: its
# caption, exactly the picture in the client area, no CPU once drawn (Wine's
# own services take a few ticks), and exit status 0 once asked to close.
#   window.sh EXE REFERENCE.png
# shellcheck source-path=SCRIPTDIR/.. source=common.sh
. "$(dirname "$0")/../common.sh"
exe=$1 reference=$2
[ -f "$exe" ] || { echo "skipped: no mingw-w64 build"; exit 77; }
require wine wineboot wineserver Xvfb xdotool xprop xwininfo import compare
# Nothing here needs .NET or HTML, so Wine must not offer to install them.
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine ends first, while its X server is still there to say goodbye to.
trap 'set +e; kill -9 ${program:-}; wineserver -k; wineserver -w; kill ${xvfb:-}; rm -rf "$scratch"' EXIT

# Made without a display, the prefix shows no windows and leaves no session behind.
{ env -u DISPLAY wineboot --init >/dev/null 2>&1 && wineserver -w; } || fail "wineboot --init failed"
Xvfb -displayfd 3 -screen 0 800x700x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null & xvfb=$!
until_within 30 test -s "$scratch/display" || fail "Xvfb did not start"
DISPLAY=:$(cat "$scratch/display") && export DISPLAY
wine "$exe" & program=$!
found() { window=$(xdotool search --onlyvisible --pid "$program" | head -1) && [ -n "$window" ]; }
until_within 30 found 2>/dev/null || fail "no window appeared: $(kill -0 "$program" || echo Wine ended)"
caption=$(xprop -id "$window" WM_NAME _NET_WM_NAME)
[ "$caption" = $'WM_NAME(STRING) = "Mandelbrot\'s Set"\n_NET_WM_NAME(UTF8_STRING) = "Mandelbrot\'s Set"' ] || fail "$caption"

# Wine leaves the frame to the window manager (there is none), so the X window
# is the client area: the 554 x 554 outer size less the frame Win32 reckons.
read -r width height < <(xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {print w, $2}')
((width > 500 && width < 554 && height > 480 && height < 554)) || fail "client area ${width}x${height}"
differing() { import -window "$window" "$scratch/s.png" && compare -metric AE "${reference}[${width}x$height+0+0]" "$scratch/s.png" null: 2>&1; }
until_within 30 differing >/dev/null || fail "$(differing) pixels differ from the picture"
stays_idle "$program" 5

# Without a window manager no standard tool sends WM_DELETE_WINDOW; Wine
# turns both it and Alt+F4 into the same WM_SYSCOMMAND SC_CLOSE.
xdotool key --window "$window" alt+F4
ended() { ! kill -0 "$program" 2>/dev/null; }
until_within 30 ended || fail "still running after Alt+F4"
wait "$program" || fail "exit status $?"
