#!/usr/bin/env bash
# How the program ends when things go wrong around it: no display, one it
# can't reach or use, a wrong choice of window system, a server that dies, a
# window destroyed by another client in the middle of a paint; and a huge
# enlargement, which must not end it.
. "$(dirname "$0")/common.sh"

# fails_with TEXT: exit 1, and one line on stderr containing TEXT.
fails_with() {
  exits_with 1 10
  [ "$(wc -l <"$scratch/stderr")" = 1 ] && grep -qF -- "$1" "$scratch/stderr" ||
    fail "expected one line with '$1', got: $(<"$scratch/stderr")"
}
# No display, with X11 chosen or forced; an unknown window system; a display
# that can't be reached, and one with colours the picture can't be shown in
# (8-bit PseudoColor).
start_x -screen 0 640x480x8
for case in "||no display: DISPLAY is not set" "|x11|no X display: DISPLAY is not set" \
  "$DISPLAY|X11|MANDELBROT_BACKEND is 'X11'" ":4093||':4093'" "$DISPLAY||no true-colour visual"; do
  IFS='|' read -r display backend message <<<"$case"
  DISPLAY=$display MANDELBROT_BACKEND=$backend "$program" 2>"$scratch/stderr" &
  pid=$!
  fails_with "$message"
done

# A screen wider than the pixels the window keeps.
start_x -screen 0 2200x700x24
# Destroyed by another client in the middle of a paint: the program, stopped
# once it is busy with the paint that showing the window again brings, goes
# on with the window gone. As on Windows, WM_DESTROY, and it ends with 0 and
# nothing to say.
start_program
until_within 15 shows 554 554 || fail "the picture did not appear: $seen"
stays_idle "$pid"
kill -STOP "$pid"
bounded 15 xdotool windowunmap --sync "$window" windowmap --sync "$window"
# Two milliseconds of processor time after that are well into the paint:
# handling the events takes a small fraction of it.
read -r ran _ <"/proc/$pid/schedstat"
deadline=$((${EPOCHREALTIME/./} + 15000000))
kill -CONT "$pid"
until read -r now _ <"/proc/$pid/schedstat" && ((now > ran + 2000000)); do
  ((${EPOCHREALTIME/./} < deadline)) || fail "no paint after the window was shown again"
done
kill -STOP "$pid"
bounded 15 xdotool windowclose "$window"
kill -CONT "$pid"
exits_with 0 10

# Enlarged far beyond the picture: still the picture, in bounded memory (all
# of the window's pixels would take 100 MB), and the class background beyond
# the pixels kept. The picture shown again after a remap means the program
# has handled the resize. Not larger: the server keeps as much again for the
# covered parts.
start_program
until_within 15 shows 554 554 || fail "the picture did not appear: $seen"
bounded 20 xdotool windowsize --sync "$window" 5000 5000 windowunmap --sync "$window" \
  windowmap --sync "$window"
convert -size 2200x700 xc:'#C8C8C8' "$picture" -composite "$scratch/enlarged.png"
until_within 15 shows 2200 700 "$scratch/enlarged.png" || fail "enlarged wrongly: $seen"
peak=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
((peak < 60000)) || fail "peak memory $peak kB"

# The server dies: one line, exit 1.
start_program
kill -9 "${pids[1]}"  # this server
fails_with "lost the connection to X display '$DISPLAY'"
