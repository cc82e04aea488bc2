#!/usr/bin/env bash
# The window on a plain 24-bit display without a window manager: its
# properties, the picture pixel for pixel, idle CPU, an enlargement, and
# closing. Odd arguments change nothing. Third argument: the desktop entry.
. "$(dirname "$0")/common.sh"
desktop_entry=$1
start_x -screen 0 1280x1024x24
odd=$(printf '%b' "$(printf '\\%03o' $(seq 1 255))")
start_program "" " " "--help" "-x" "a b" "$odd" $(seq -f 'arg%g' 500)
until_within 5 shows 554 554 || fail "the picture did not appear"
[ "$(client_size)" = "554 554" ] || fail "client area $(client_size)"

props=$(xprop -id "$window")
for expected in 'WM_NAME(STRING) = "Mandelbrot'"'"'s Set"' \
  '_NET_WM_NAME(UTF8_STRING) = "Mandelbrot'"'"'s Set"' \
  'WM_ICON_NAME(STRING) = "Mandelbrot'"'"'s Set"' \
  '_NET_WM_ICON_NAME(UTF8_STRING) = "Mandelbrot'"'"'s Set"' \
  'WM_CLASS(STRING) = "WindowsApp", "WindowsApp"' \
  "_NET_WM_PID(CARDINAL) = $pid" \
  "WM_CLIENT_MACHINE(STRING) = \"$(uname -n)\"" \
  'Client accepts input or input focus: True' 'Initial state is Normal State.' \
  'program specified size: 554 by 554' 'WM_COMMAND(STRING) = { "'"$program"'", "", " ", "--help"' \
  '_NET_WM_ICON(CARDINAL) = 	Icon (16 x 16):' 'Icon (32 x 32):' 'Icon (48 x 48):'; do
  grep -qF -- "$expected" <<<"$props" || fail "no $expected"
done
# Launchers are grouped with the window by its class.
grep -qx 'StartupWMClass=WindowsApp' "$desktop_entry" || fail "desktop entry lacks the class"

# Idle: measured over a second; a program that kept repainting would use
# most of it.
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
before=$(cpu)
sleep 1
(($(cpu) - before <= 2)) || fail "busy while idle: $(($(cpu) - before)) ticks"

# Enlarged, the picture stays and the class background shows beyond it.
xdotool windowsize "$window" 700 620
beyond_is_grey() {
  import -window "$window" "$scratch/big.png" 2>/dev/null &&
    [ "$(convert "$scratch/big.png" -crop 146x620+554+0 -unique-colors txt:- | tail -n+2 |
      awk '{print $3}')" = "#C8C8C8" ] &&
    [ "$(convert "$scratch/big.png" -crop 554x66+0+554 -unique-colors txt:- | tail -n+2 |
      awk '{print $3}')" = "#C8C8C8" ]
}
until_within 5 beyond_is_grey || fail "the enlarged window does not show grey beyond the picture"
shows 554 554 || fail "enlarging lost the picture"
# Shown again, the window gets all of the picture back, though nothing in it
# changed.
xdotool windowunmap --sync "$window" windowmap --sync "$window"
until_within 5 shows 554 554 || fail "the picture did not come back"

"$x_probe" close "$window"
exits_with 0 2
[ ! -s "$scratch/stderr" ] || fail "said on closing: $(<"$scratch/stderr")"
