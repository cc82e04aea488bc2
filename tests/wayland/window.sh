#!/usr/bin/env bash
# The real program on a private headless weston, with DISPLAY unset so that
# XWayland cannot be what is tested. CONTENT is the size the content must
# have, in logical pixels: libdecor's title bar takes its share of the
# 554 x 554 outer size where its plugin is found. The program's side of the
# protocol is logged (WAYLAND_DEBUG) and checked by protocol.awk.
# Usage: window.sh PROGRAM PICTURE SCALE CONTENT [LIBDECOR_PLUGIN_DIR]
program=$1 picture=$2 scale=$3 content=$4
type -P weston weston-info weston-screenshooter convert compare >/dev/null || { echo "SKIP: a tool is missing"; exit 77; }
[ $# -lt 5 ] || export LIBDECOR_PLUGIN_DIR=$5
. "$(dirname "$0")/common.sh"
export WAYLAND_DISPLAY=wayland-0

# No compositor, or the compositor lost: exit 1 and one line of the
# program's own.
MANDELBROT_BACKEND=wayland "$program" 2>"$dir/err" & app=$!
ends_with 1 "no compositor" "cannot connect to the Wayland compositor 'wayland-0'$"

# An output large enough for weston's shell to place the whole window, its
# shadow included, on it: at scale 2 weston 10 was seen to blend the content's
# last row and column with what lies beyond when the shadow crossed the edge.
weston_up() {
  weston --backend=headless-backend.so --use-pixman --socket=$WAYLAND_DISPLAY \
    --width=1600 --height=1200 --scale="$scale" --idle-time=0 --debug >"$dir/weston.log" 2>&1 &
  server_pid=$!
  until_within 10 weston-info &>/dev/null || fail "weston did not start: $(tail -3 "$dir/weston.log")"
}
weston_up

# Found by its default socket, as in a session that names none.
WAYLAND_DEBUG=client env -u WAYLAND_DISPLAY "$program" >/dev/null 2>"$dir/log" &
app=$!
# The window is where weston's shell put it. Only the picture has pure white
# below the panel, and its corners are white, so the white's bounding box is
# the content. Each picture pixel must be an exact scale x scale block.
shows_picture() {
  rm -f "$dir"/shots/*.png
  (cd "$dir/shots" && timeout 5 weston-screenshooter) >/dev/null 2>&1 || return 1
  convert "$dir"/shots/*.png -alpha off "$dir/shot.png"
  read -r w h x y < <(convert "$dir/shot.png" -fill black +opaque white \
    -draw "rectangle 0,0 99999,$((32 * scale - 1))" -trim -format "%w %h %X %Y" info: 2>/dev/null)
  [ "${w}x$h" = "$((${content%x*} * scale))x$((${content#*x} * scale))" ] || return 1
  convert "$dir/shot.png" -crop "${w}x$h$x$y" +repage "$dir/window.png"
  convert "$picture" -sample $((scale * 100))% -crop "${w}x$h+0+0" +repage "$dir/expected.png"
  compare -metric AE "$dir/expected.png" "$dir/window.png" null: 2>"$dir/ae"
}
mkdir "$dir/shots"
until_within 30 shows_picture || fail "no exact ${content} picture on screen within 30 s: the white \
was ${w:-?}x${h:-?}, $(cat "$dir/ae" 2>/dev/null) pixels differed; $(grep -v '^\[' "$dir/log")"

# Idle once drawn: a program that kept repainting would use most of a core.
stays_idle "$app"
# One buffer, at the output's scale, holding the picture: the log ends at
# the first idle here.
protocol -v scale="$scale" -v chosen="$content" -v count=1 || exit 1

# The compositor going away at idle: the reason, at once (the grace is for
# sanitizer builds, which check for leaks at exit).
kill -9 $server_pid
until_within 5 exited || fail "still running 5 s after the compositor died"
said
ends_with 1 idle "could not get the next message: lost the connection to the Wayland compositor 'wayland-0'$"

# The compositor lost at random moments of the start, libdecor's included, and
# of the paint (ROUNDS of them, 20 unless set, from SEED): never a crash.
seed=${SEED:-$RANDOM} && RANDOM=$seed && echo "seed $seed"
for ((round = 1; round <= ${ROUNDS:-20}; round++)); do
  weston_up
  "$program" 2>"$dir/err" & app=$!
  sleep "$(printf 0.%03d $((RANDOM % 60)))"
  kill -9 $server_pid
  ends_with 1 "round $round of seed $seed" ""
done
echo "PASS"
