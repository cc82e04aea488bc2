#!/usr/bin/env bash
# The window inside a window manager's frame (the manager and its options
# follow): the frame's outer size is the 554 x 554 asked for, the client area
# shows the top-left of the picture, and the program sits idle.
. "$(dirname "$0")/common.sh"
require "$1"
start_x -screen 0 1280x1024x24
# Every size and mapping of the root's children, the frames among them, from
# before the manager starts.
"$x_probe" frames >"$scratch/frames" &
pids+=($!)
# A manager that says when it has started touches READY. No session bus, so
# that the manager doesn't start one that outlives the test.
[[ $* == *READY* ]] || touch "$scratch/ready"
DBUS_SESSION_BUS_ADDRESS=unix:path=/dev/null "${@//READY/$scratch/ready}" >"$scratch/wm.log" 2>&1 &
pids+=($!)
until_within 20 eval '[ -e "$scratch/ready" ] && grep -qs ready "$scratch/frames" &&
  timeout 5 xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
  fail "$1 did not start: $(tail -n3 "$scratch/wm.log")"

start_program
frame=$(timeout 5 xwininfo -id "$window" -children | awk '/Parent window id/ {print $4}')
until_within 15 eval 'read -r width height <<<"$(client_size)"; ((width < 554 && height < 554))' ||
  fail "no frame around the client area: client area $width x $height"
until_within 15 shows "$width" "$height" || fail "the picture is not in the frame: $seen"
# frame_sizes [map]: every size the frame takes, or its size when it is
# mapped and every one after.
frame_sizes() { awk -v frame="$frame" -v from="${1-}" '$2 != frame { next }
  $1 == "size" { size = $3 "x" $4; if (shown || from != "map") print size }
  $1 == "map" { shown = 1; if (from == "map") print size }' "$scratch/frames"; }
until_within 15 eval '[ "$(frame_sizes | tail -n1)" = 554x554 ]' ||
  fail "frame sizes: $(frame_sizes | tr "\n" " ")"
# A manager that tells the frame's extents when asked before the window is
# shown gets a window of the right size from the start. One that tells them
# only once it manages the window shows its frame around a window that may
# not have answered yet.
if timeout 5 xprop -root _NET_SUPPORTED | grep -q _NET_REQUEST_FRAME_EXTENTS; then
  [ "$(frame_sizes map | sort -u)" = 554x554 ] ||
    fail "resized after it was shown: $(frame_sizes map | tr '\n' ' ')"
fi
stays_idle "$pid"
