#!/usr/bin/env bash
# The Windows build under Wine, in a fresh prefix on a private Xvfb: its
# caption, exactly the picture in the client area, no CPU once drawn, and exit
# status 0 once asked to close.
#   window.sh EXE REFERENCE.png
# shellcheck source-path=SCRIPTDIR source=common.sh
. "$(dirname "$0")/common.sh"
exe=$1 reference=$2
[ -f "$exe" ] || { echo "skipped: no mingw-w64 build"; exit 77; }
require wine wineboot wineserver Xvfb xdotool xprop xwininfo import compare
# Nothing here needs .NET or HTML, so Wine must not offer to install them.
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine ends first, while its X server is still there to say goodbye to.
trap 'set +e; kill -9 ${program:-}; wineserver -k; wineserver -w; kill ${xvfb:-}; rm -rf "$scratch"' EXIT
# Retries a command every tenth of a second until it succeeds; fails after 30 s.
eventually() { local end=$((SECONDS + 30)); until "$@"; do ((SECONDS < end)) && sleep 0.1 || return 1; done; }

# Made without a display, the prefix shows no windows and leaves no session behind.
{ env -u DISPLAY wineboot --init >/dev/null 2>&1 && wineserver -w; } || fail "wineboot --init failed"
Xvfb -displayfd 3 -screen 0 800x700x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
xvfb=$!
eventually test -s "$scratch/display" || fail "Xvfb did not start"
DISPLAY=:$(cat "$scratch/display") && export DISPLAY
wine "$exe" &
program=$!
found() { window=$(xdotool search --onlyvisible --pid "$program" | head -1) && [ -n "$window" ]; }
eventually found 2>/dev/null || fail "no window appeared: $(kill -0 "$program" || echo Wine ended)"
caption=$(xprop -id "$window" WM_NAME _NET_WM_NAME)
[ "$caption" = $'WM_NAME(STRING) = "Mandelbrot\'s Set"\n_NET_WM_NAME(UTF8_STRING) = "Mandelbrot\'s Set"' ] || fail "$caption"

# Wine leaves the frame to the window manager (there is none), so the X window
# is the client area: the 554 x 554 outer size less the frame Win32 reckons.
read -r width height < <(xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {print w, $2}')
((width > 500 && width < 554 && height > 480 && height < 554)) || fail "client area ${width}x${height}"
differing() { import -window "$window" "$scratch/shot.png" && compare -metric AE \
  "${reference}[${width}x${height}+0+0]" "$scratch/shot.png" null: 2>&1; }
eventually differing >/dev/null || fail "$(differing) pixels differ from the picture"

# A program that kept repainting would use most of a core; the second is the
# span measured over, not a wait for anything.
cpu() { awk '{print $14 + $15}' "/proc/$program/stat"; }
# shellcheck disable=SC2015  # cpu and sleep don't fail
before=$(cpu) && sleep 1 && (($(cpu) - before <= 5)) || fail "busy while idle"

# Without a window manager no standard tool sends WM_DELETE_WINDOW; Wine
# turns both it and Alt+F4 into the same WM_SYSCOMMAND SC_CLOSE.
xdotool key --window "$window" alt+F4
ended() { ! kill -0 "$program" 2>/dev/null; }
eventually ended || fail "still running after Alt+F4"
wait "$program" || fail "exit status $?"
