#!/usr/bin/env bash
# The window inside a window manager's frame (the manager and its options
# follow): the frame's outer size is the 554 x 554 asked for, from the moment
# it is shown, and the client area shows the top-left of the picture.
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
until_within 10 eval '[ -e "$scratch/ready" ] && grep -qs ready "$scratch/frames" &&
  xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
  fail "$1 did not start: $(tail -n3 "$scratch/wm.log")"

start_program
frame=$(xwininfo -id "$window" -children | awk '/Parent window id/ {print $4}')
until_within 5 eval 'read -r width height <<<"$(client_size)"; ((width < 554 && height < 554))' ||
  fail "no frame around the client area"
until_within 5 shows "$width" "$height" || fail "the picture is not in the frame"
# The frame is 554 x 554 from when it is mapped on.
awk -v frame="$frame" '$2 == frame && $1 == "size" { size = $3 "x" $4 }
  $2 == frame && $1 == "map" { shown = 1 } shown && size != "554x554" { bad = 1 }
  END { exit bad || !shown }' "$scratch/frames" || fail "resized after it was shown"
