#!/usr/bin/env bash
# How the program ends when things go wrong around it: no display, one it
# can't reach or use, a server that dies, a window destroyed by another
# client; and a huge enlargement, which must not end it.
. "$(dirname "$0")/common.sh"

# says_one_line TEXT: the program said one line on stderr, containing TEXT.
says_one_line() {
  [ "$(wc -l <"$scratch/stderr")" = 1 ] && grep -qF -- "$1" "$scratch/stderr" ||
    fail "expected one line with '$1', got: $(<"$scratch/stderr")"
}
for display in "" :4093; do
  DISPLAY=$display "$program" 2>"$scratch/stderr" &
  pid=$!
  exits_with 1 2
  says_one_line "${display:-DISPLAY is not set}"
done

# Colours the picture can't be shown in (8-bit PseudoColor).
start_x -screen 0 640x480x8
"$program" 2>"$scratch/stderr" &
pid=$!
exits_with 1 2
says_one_line "no true-colour visual"
kill "${pids[0]}" && wait "${pids[0]}" || true

start_x -screen 0 1280x1024x24
server=${pids[-1]}
# Destroyed by another client, here while it may still be painting: as on
# Windows, WM_DESTROY, and the program ends with 0 and nothing to say.
start_program
xdotool windowclose "$window"
exits_with 0 1
[ ! -s "$scratch/stderr" ] || fail "said: $(<"$scratch/stderr")"

# Enlarged far beyond the picture: still the picture, in bounded memory.
start_program
xdotool windowsize "$window" 20000 20000
until_within 5 eval '[ "$(client_size)" = "20000 20000" ]' || fail "not enlarged"
until_within 5 shows 554 554 || fail "the picture did not stay"
peak=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
((peak < 100000)) || fail "peak memory $peak kB"
"$x_probe" close "$window"
exits_with 0 5

# The server dies: one line, exit 1, within a second.
start_program
kill -9 "$server"
exits_with 1 1
says_one_line "lost the connection to X display '$DISPLAY'"
