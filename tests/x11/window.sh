#!/usr/bin/env bash
# The window on a plain 24-bit display without a window manager: its
# properties, the picture pixel for pixel, idle CPU, an enlargement, and
# closing. Odd arguments change nothing. Third argument: the desktop entry.
. "$(dirname "$0")/common.sh"
start_x -screen 0 1280x1024x24
start_program "" " " --help -x "a b" "$(printf '%b' "$(printf '\\%03o' $(seq 255))")" $(seq -f 'arg%g' 500)
until_within 5 shows 554 554 || fail "the picture did not appear"
[ "$(client_size)" = "554 554" ] || fail "client area $(client_size)"

props=$(xprop -id "$window")
name="\"Mandelbrot's Set\""
for expected in "WM_NAME(STRING) = $name" "_NET_WM_NAME(UTF8_STRING) = $name" \
  "WM_ICON_NAME(STRING) = $name" "_NET_WM_ICON_NAME(UTF8_STRING) = $name" \
  'WM_CLASS(STRING) = "WindowsApp", "WindowsApp"' "_NET_WM_PID(CARDINAL) = $pid" \
  "WM_CLIENT_MACHINE(STRING) = \"$(uname -n)\"" 'Initial state is Normal State.' \
  'Client accepts input or input focus: True' 'size: 554 by 554' \
  "WM_COMMAND(STRING) = { \"$program\", \"\", \" \", \"--help\"" \
  'Icon (16 x 16):' 'Icon (32 x 32):' 'Icon (48 x 48):'; do
  grep -qF -- "$expected" <<<"$props" || fail "no $expected"
done
# Launchers are grouped with the window by its class.
grep -qx 'StartupWMClass=WindowsApp' "$1" || fail "desktop entry lacks the class"

# Idle: measured over a second; a program that kept repainting would use
# most of it.
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
before=$(cpu) && sleep 1
(($(cpu) - before <= 2)) || fail "busy while idle: $(($(cpu) - before)) ticks"

# Enlarged, the picture stays and the class background shows beyond it.
xdotool windowsize "$window" 700 620
convert -size 700x620 xc:'#C8C8C8' "$picture" -composite "$scratch/enlarged.png"
until_within 5 shows 700 620 "$scratch/enlarged.png" || fail "enlarged wrongly"
# Shown again, the window gets all of the picture back, though nothing in it
# changed.
xdotool windowunmap --sync "$window" windowmap --sync "$window"
until_within 5 shows 554 554 || fail "the picture did not come back"

"$x_probe" close "$window"
exits_with 0 2
