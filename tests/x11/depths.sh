#!/usr/bin/env bash
# The picture on displays of other depths and visuals (Xvfb options follow):
# exact wherever the visual has 8 bits a channel or more; on fewer bits each
# grey of the picture shows as one colour, and darker stays darker. Then idle.
. "$(dirname "$0")/common.sh"
start_x "$@"
start_program
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
if ((depth >= 24)); then
  until_within 15 shows 554 554 || fail "the picture is not exact: $seen"
else
  until_within 15 ordered || fail "the greys do not show as one colour each, black black and darker for darker"
fi
stays_idle "$pid"
