#!/usr/bin/env bash
# The window on a plain 24-bit display without a window manager: its
# properties, the picture pixel for pixel, idle CPU, frame extents that
# change after it is shown or never come, and closing. Odd arguments
# change nothing. Third argument: the desktop entry.
. "$(dirname "$0")/common.sh"
start_x -screen 0 1280x1024x24
# A manager that said it answers the request for the frame's extents, and
# then went away: the window still shows once the wait for the answer is up.
bounded 15 xprop -root -f _NET_SUPPORTED 32a -set _NET_SUPPORTED _NET_REQUEST_FRAME_EXTENTS
start_program "" " " --help -x "a b" "$(printf '%b' "$(printf '\\%03o' $(seq 255))")" $(seq -f 'arg%g' 500)
until_within 15 shows 554 554 || fail "the picture did not appear: $seen"
[ "$(client_size)" = "554 554" ] || fail "client area $(client_size)"
timeout 5 xwininfo -id "$window" | grep -q 'Border width: 0' || fail "a border around the window"

props=$(timeout 5 xprop -id "$window")
name="\"Mandelbrot's Set\""
for expected in "WM_NAME(STRING) = $name" "_NET_WM_NAME(UTF8_STRING) = $name" \
  "WM_ICON_NAME(STRING) = $name" "_NET_WM_ICON_NAME(UTF8_STRING) = $name" \
  'WM_CLASS(STRING) = "WindowsApp", "WindowsApp"' "_NET_WM_PID(CARDINAL) = $pid" \
  "WM_CLIENT_MACHINE(STRING) = \"$(uname -n)\"" 'Initial state is Normal State.' \
  'Client accepts input or input focus: True' 'size: 554 by 554' \
  "WM_COMMAND(STRING) = { \"$program\", \"\", \" \", \"--help\"" \
  'WM_PROTOCOLS(ATOM): protocols  WM_DELETE_WINDOW' \
  'Icon (16 x 16):' 'Icon (32 x 32):' 'Icon (48 x 48):'; do
  grep -qF -- "$expected" <<<"$props" || fail "no $expected"
done
# Launchers are grouped with the window by its class.
grep -qx 'StartupWMClass=WindowsApp' "$1" || fail "desktop entry lacks the class"

stays_idle "$pid"

# A frame that a window manager publishes, changes or takes away after the
# window is shown: the client area follows, so that the outer size stays
# 554 x 554.
for extents in "-set _NET_FRAME_EXTENTS 4,6,30,2:544 522" "-remove _NET_FRAME_EXTENTS:554 554"; do
  bounded 15 xprop -id "$window" -f _NET_FRAME_EXTENTS 32c ${extents%:*}
  until_within 15 eval '[ "$(client_size)" = "${extents#*:}" ]' ||
    fail "$extents: client area $(client_size), not ${extents#*:}"
done


bounded 15 "$x_probe" close "$window"
exits_with 0 10
