#!/usr/bin/env bash
# How the program ends when things go wrong around it: no display, one it
# can't reach or use, a wrong choice of window system, a window destroyed by
# another client in the middle of a paint, a manager that went away, a server
# that dies while the window is made or at any moment of the start; and a huge
# enlargement, which must not end it. Arguments: how many random moments
# (15), and their seed.
. "$(dirname "$0")/common.sh"

# fails_with TEXT [WHEN [WRAPPER...]]: the program started (under WRAPPER)
# and, given WHEN, its server killed once WHEN has run, with the program held
# still meanwhile. Exit 1, and one line on stderr, the program's own, with TEXT.
fails_with() {
  "${@:3}" "$program" 2>"$scratch/stderr" &
  pid=$!
  if [ -n "${2-}" ]; then
    eval "$2" || fail "$2 failed"
    kill -STOP "$pid" 2>/dev/null && kill -9 "${pids[-1]}" && { wait "${pids[-1]}" || true; } 2>/dev/null
    kill -CONT "$pid" 2>/dev/null || true
  fi
  exits_with 1 10
  [[ $(wc -l <"$scratch/stderr") = 1 && $(<"$scratch/stderr") == "mandelbrot: "*"$1"* ]] ||
    fail "expected one line with '$1', got: $(<"$scratch/stderr")"
}
# No display, with X11 chosen or forced; an unknown window system; a display
# that can't be reached, and one with colours the picture can't be shown in
# (8-bit PseudoColor).
start_x -screen 0 640x480x8
for case in "||no display: DISPLAY is not set" "|x11|no X display: DISPLAY is not set" \
  "$DISPLAY|X11|MANDELBROT_BACKEND is 'X11'" ":4093||':4093'" "$DISPLAY||no true-colour visual"; do
  IFS='|' read -r display backend message <<<"$case"
  DISPLAY=$display MANDELBROT_BACKEND=$backend fails_with "$message"
done

# A screen wider than the pixels the window keeps.
start_x -screen 0 2200x700x24
# A write that finds the server gone, as when it goes between Xlib's wait for
# the socket and the write (here while the picture is sent): the moment the
# random ones below rarely meet. (LeakSanitizer can't work under strace.)
ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 fails_with "lost the connection" "" strace -fqo /dev/null -e inject=writev:error=EPIPE:signal=PIPE:when=12
start_program
until_within 15 shows 554 554 || fail "the picture did not appear: $seen"
# Enlarged far beyond the picture: still the picture, in bounded memory (all
# of the window's pixels would take 100 MB), and the class background beyond
# the pixels kept. The picture shown again after a remap means the program
# has handled the resize. Not larger: the server keeps as much again for the
# covered parts.
bounded 20 xdotool windowsize --sync "$window" 5000 5000 windowunmap --sync "$window" \
  windowmap --sync "$window"
convert -size 2200x700 xc:'#C8C8C8' "$picture" -composite "$scratch/enlarged.png"
until_within 15 shows 2200 700 "$scratch/enlarged.png" || fail "enlarged wrongly: $seen"
peak=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
((peak < 60000)) || fail "peak memory $peak kB"
# Destroyed by another client in the middle of a paint: the program, stopped
# once it is busy with the paint that showing the window again brings, goes
# on with the window gone. As on Windows, WM_DESTROY, and it ends with 0 and
# nothing to say.
stays_idle "$pid"
kill -STOP "$pid"
bounded 15 xdotool windowunmap --sync "$window" windowmap --sync "$window"
# Two milliseconds of processor time after that are well into the paint:
# handling the events takes a small fraction of it.
read -r ran _ <"/proc/$pid/schedstat" && kill -CONT "$pid" && SECONDS=0
until read -r now _ <"/proc/$pid/schedstat" && ((now > ran + 2000000)); do
  ((SECONDS < 15)) || fail "no paint after the window was shown again"
done
kill -STOP "$pid"
bounded 15 xdotool windowclose "$window"
kill -CONT "$pid"
exits_with 0 10

# A manager that says it answers the request for the frame's extents: when
# it went away, its window with it, the window is shown without asking; when
# it is there (the root window, naming itself), the server dies while the
# program waits for the answer, or the answer comes (x_probe's), and the
# window is shown at its final size, the frame's share taken off.
# manager gone|there [L R T B]: a server with such a manager, and x_probe.
manager() {
  start_x
  local check=0x1fffffff
  [ "$1" = gone ] || check=$(timeout 5 xwininfo -root | awk '/Window id/ {print $4}')
  bounded 15 xprop -root -f _NET_SUPPORTED 32a -set _NET_SUPPORTED _NET_REQUEST_FRAME_EXTENTS
  bounded 15 xprop -root -f _NET_SUPPORTING_WM_CHECK 32c -set _NET_SUPPORTING_WM_CHECK "$check"
  coproc probe { "$x_probe" frames "${@:2}" 2>/dev/null; }
  next ready || fail "x_probe frames did not start"
}
next() { read -rt 15 line <&"${probe[0]}" && [[ $line == $1 ]]; }
manager gone
"$program" 2>/dev/null &  # ends with the server
next create && next 'map *' || fail "asked a manager that went away: $line"
manager there
fails_with "could not create the window: lost the connection to X display '$DISPLAY'" 'next create'
manager there 4 6 30 2
"$program" 2>/dev/null &
next create && next request && next 'size * 544 522' && next 'map *' ||
  fail "not shown at its final size: $line"
# At a random moment of the start and the paint.
echo "seed ${seed:=${2:-$RANDOM}}"
RANDOM=$seed
for ((run = 0; run < ${1:-15}; ++run)); do
  start_x
  fails_with "" 'sleep 0.$(printf %06d $((RANDOM % 30000)))'
done
