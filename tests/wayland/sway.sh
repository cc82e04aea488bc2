#!/usr/bin/env bash
# The real program on a private headless sway, which draws the frame itself
# (xdg-decoration), tiles the window at a size of its own, and lets outputs
# and scales change while the program runs. With CSD given, a rule makes sway
# leave the frame to the program once the window shows: libdecor takes the
# window over, its plugin draws the frame (24 pixels of title bar) and brings
# sway's close. sway refuses to run as root; as root the test runs it as the
# user scripts/test creates.
# Usage: sway.sh PROGRAM PICTURE [CSD]
program=$1 picture=$2 csd=${3:-}
type -P sway swaymsg grim jq convert compare >/dev/null || { echo "SKIP: a tool is missing"; exit 77; }
as=() && [ "$(id -u)" != 0 ] || as=(runuser -u mandelbrot-test --)
. "$(dirname "$0")/common.sh"
[ ${#as[@]} = 0 ] || chown mandelbrot-test "$dir" 2>/dev/null || { echo "SKIP: no user mandelbrot-test"; exit 77; }
printf 'xwayland disable\n%s\n' "${csd:+for_window [app_id=\"mandelbrot\"] border csd}" >"$dir/config"
chmod 644 "$dir/config"
setsid "${as[@]}" env -i XDG_RUNTIME_DIR="$dir" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
  WLR_RENDERER=pixman sway -c "$dir/config" >"$dir/sway.log" 2>&1 &
server_pid=$!
ready() {
  SWAYSOCK=$(echo "$dir"/sway-ipc.*.sock) && export SWAYSOCK && swaymsg -q -t get_version 2>/dev/null
}
until_within 10 ready || fail "sway did not start: $(tail -3 "$dir/sway.log")"
WAYLAND_DISPLAY=$(basename "$(echo "$dir"/wayland-?)")
export WAYLAND_DISPLAY

# libdecor's own leak is told from the program's by the stack through it.
[ -z "$csd" ] || export ASAN_OPTIONS=fast_unwind_on_malloc=0
WAYLAND_DEBUG=client "$program" >/dev/null 2>"$dir/log" &
app=$!
# The content, where sway says it is (below libdecor's title bar): the
# picture at the output's scale, in exact blocks, and the class background
# beyond it; the last buffer at that scale, as sway would scale a sharper one
# down to the same pixels.
top=$((${csd:+24} + 0))
shows() {
  [ "$(grep -o 'set_buffer_scale([0-9]*)' "$dir/log" | tail -1)" = "set_buffer_scale($1)" ] ||
    return 1
  read -r x y w h < <(swaymsg -t get_tree | jq -r ".. | select(.pid? == $app) | \"\(.rect.x + \
.window_rect.x) \(.rect.y + .window_rect.y + $top) \(.window_rect.width) \(.window_rect.height - $top)\"")
  grim -s "$1" -g "$x,$y ${w}x$h" "$dir/shot.png" 2>/dev/null || return 1
  convert "$picture" -sample $(($1 * 100))% -background 'rgb(200,200,200)' \
    -extent $((w * $1))x$((h * $1)) "$dir/expected.png"
  compare -metric AE "$dir/expected.png" "$dir/shot.png" null: 2>"$dir/ae"
}
shown() {
  until_within 30 shows "$1" || fail "$2: no exact picture at scale $1 within 30 s: the content \
was ${w:-?}x${h:-?} at ${x:-?},${y:-?}, $(cat "$dir/ae" 2>/dev/null) pixels differed, last \
$(grep -o 'set_buffer_scale([0-9]*)' "$dir/log" | tail -1)"
}
shown 1 "tiled"
stays_idle "$app"
# libdecor's plugin is loaded where it draws the frame, and only there.
plugin=$(grep -c 'libdecor/plugins' "/proc/$app/maps")
[ $((plugin > 0)) = $((${#csd} > 0)) ] || fail "$plugin mappings of libdecor's plugin, csd: ${csd:-no}"
if [ -z "$csd" ]; then
  protocol -v scale=1 -v chosen=554x554 -v count=1 || exit 1
  # The height alone grows twice, to a square and past it, then the width
  # alone (a buffer or a size kept for having one side right would be
  # overrun); the buffers of the old sizes go, memory and all, and no file
  # stays open.
  # sway may drop a resize while it still floats the window: asked again
  # until its tree has the size.
  resize() {
    swaymsg -q "[pid=$app] resize set $1 $2" && swaymsg -t get_tree |
      jq -e ".. | select(.pid? == $app) | .window_rect | .width == $1 and .height == $2" >/dev/null
  }
  files=$(ls "/proc/$app/fd" | wc -l)
  swaymsg -q "[pid=$app] floating enable, border none" || fail "no floating"
  shown 1 "floating"
  for size in "400 320" "400 400" "400 480" "320 400" "400 400" "480 400"; do
    until_within 10 resize $size || fail "no resize to $size"
    shown 1 "floating at $size"
  done
  [ "$(ls "/proc/$app/fd" | wc -l)" -eq "$files" ] || fail "$files open files before, then: \
$(ls -l "/proc/$app/fd")"
  few_buffers() { mapped=$(grep -c memfd:mandelbrot-buffer "/proc/$app/maps"); ((mapped <= 2)); }
  until_within 5 few_buffers || fail "the memory of $mapped buffers still mapped"
  swaymsg -q "[pid=$app] floating disable" || fail "no tiling"

  # A scale change at run time; the window moving to an output plugged in
  # later, at scale 1, and back. (sway 1.7 can't unplug a headless output.)
  swaymsg -q output HEADLESS-1 scale 2 || fail "no scale change"
  shown 2 "at scale 2"
  swaymsg -q create_output && swaymsg -q "[pid=$app] move container to output HEADLESS-2" ||
    fail "no second output"
  shown 1 "on a second output at scale 1"
  swaymsg -q "[pid=$app] move container to output HEADLESS-1" || fail "no move back"
  shown 2 "back at scale 2"
  protocol -v scale=0 -v chosen=554x554 -v count=0 || exit 1
fi

# Closed by the compositor: exit 0.
swaymsg -q "[pid=$app] kill" || fail "no kill"
until_within 5 exited || fail "still running 5 s after the window was closed"
said
ends_with 0 "closed"
echo "PASS"
