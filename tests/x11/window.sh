#!/usr/bin/env bash
# The window on a display without a window manager (Xvfb options follow): the
# picture, exact wherever the visual has 8 bits a channel or more, and on fewer
# each grey of it one colour, darker for darker, also after part of the window
# is exposed again; its properties, idle CPU, frame extents that change after
# it is shown or never come, a size the user gives outlasting them, and
# closing. Odd arguments change nothing.
. "$(dirname "$0")/common.sh"
start_x "$@"
start_program "" " " --help -x "a b" "$(printf '%b' "$(printf '\\%03o' $(seq 255))")" $(seq -f 'arg%g' 500)
depth=$(timeout 5 xwininfo -id "$window" | awk '/Depth:/ {print $2}')
# The screen's own depth where it has a true-colour visual of it, not a
# deeper one that a 15- or 16-bit display without compositing lacks.
[ "$depth" = "$(timeout 5 xwininfo -root | awk '/Depth:/ {print $2}')" ] || fail "window depth $depth"
# Each grey of the picture with the colour the screen shows at its pixels, as
# one RGBA tuple: grey, red, green, blue. Every grey once, no channel darker
# than for a darker grey, black black and white nearly white.
ordered() {
  timeout 10 import -window "$window" "$scratch/shot.png" 2>/dev/null &&
    convert \( "$picture" -colorspace gray \) \( "$scratch/shot.png" -separate \) \
      -channel RGBA -combine -depth 8 -unique-colors txt:- | awk -F'[(),]' 'NR > 1 {
      print $3, $4, $5, $6 }' | sort -n -k1,1 | awk '
      NR == 1 && $2 + $3 + $4 > 0 || NR > 1 && ($1 == g || $2 < r || $3 < gr || $4 < b) { bad = 1 }
      { g = $1; r = $2; gr = $3; b = $4 } END { exit bad || NR < 100 || r + gr + b < 720 }'
}
right() {
  if ((depth >= 24)); then shows 554 554; else seen="a grey shows as two colours, or darker as lighter" && ordered; fi
}
until_within 15 right || fail "the picture is wrong: $seen"
# Parts exposed again are drawn from the right rows and columns, up to the edges.
for area in "300 400 254 154" "0 0 554 1"; do
  bounded 15 "$x_probe" expose "$window" $area
  until_within 15 right || fail "wrong once $area was exposed again: $seen"
done
[ "$(client_size)" = "554 554" ] || fail "client area $(client_size)"
timeout 5 xwininfo -id "$window" | grep -q 'Border width: 0' || fail "a border around the window"

props=$(timeout 5 xprop -id "$window")
name="\"Mandelbrot's Set\""
for expected in "WM_NAME(STRING) = $name" "_NET_WM_NAME(UTF8_STRING) = $name" \
  'WM_CLASS(STRING) = "WindowsApp", "WindowsApp"' "_NET_WM_PID(CARDINAL) = $pid" \
  'Initial state is Normal State.' 'Client accepts input or input focus: True' 'size: 554 by 554' \
  "WM_COMMAND(STRING) = { \"$program\", \"\", \" \", \"--help\"" \
  'Icon (32 x 32):' 'Icon (48 x 48):'; do
  grep -qF -- "$expected" <<<"$props" || fail "no $expected"
done
grep -qx 'WM_PROTOCOLS(ATOM): protocols  WM_DELETE_WINDOW' <<<"$props" || fail "WM_PROTOCOLS is not WM_DELETE_WINDOW alone"
awk '/Icon \(16 x 16\)/ {n = 16; next} n-- > 0 && NF {s = 1} END {exit !s}' <<<"$props" || fail "an empty icon"

stays_idle "$pid"

# A frame that a window manager publishes, changes or takes away after the
# window is shown: the client area follows, so that the outer size stays
# 554 x 554.
for extents in "-set _NET_FRAME_EXTENTS 4,6,30,2:544 522" "-remove _NET_FRAME_EXTENTS:554 554"; do
  bounded 15 xprop -id "$window" -f _NET_FRAME_EXTENTS 32c ${extents%:*}
  until_within 15 eval '[ "$(client_size)" = "${extents#*:}" ]' ||
    fail "$extents: client area $(client_size), not ${extents#*:}"
done
# A size the user gives outlasts a later frame: checked once what was exposed
# after the frame changed is drawn, where the screen shows the picture exactly.
bounded 15 xdotool windowsize --sync "$window" 300 200
bounded 15 xprop -id "$window" -f _NET_FRAME_EXTENTS 32c -set _NET_FRAME_EXTENTS 4,6,30,2
bounded 15 "$x_probe" expose "$window" 0 0 1 1
{ ((depth < 24)) || until_within 15 shows 1 1; } && [ "$(client_size)" = "300 200" ] ||
  fail "the user's size became $(client_size) ($seen)"

bounded 15 "$x_probe" close "$window"
exits_with 0 10
