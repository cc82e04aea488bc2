#!/usr/bin/env bash
# How the program ends when things go wrong around it: no display, one it
# can't reach or use, a server that dies, a window destroyed by another
# client; and a huge enlargement, which must not end it.
. "$(dirname "$0")/common.sh"

# fails_with TEXT [SECONDS]: exit 1 within 2 s or SECONDS, and one line on
# stderr containing TEXT.
fails_with() {
  exits_with 1 "${2:-2}"
  [ "$(wc -l <"$scratch/stderr")" = 1 ] && grep -qF -- "$1" "$scratch/stderr" ||
    fail "expected one line with '$1', got: $(<"$scratch/stderr")"
}
# No display, one that can't be reached, and one with colours the picture
# can't be shown in (8-bit PseudoColor).
start_x -screen 0 640x480x8
for case in "|DISPLAY is not set" ":4093|':4093'" "$DISPLAY|no true-colour visual"; do
  DISPLAY=${case%%|*} "$program" 2>"$scratch/stderr" &
  pid=$!
  fails_with "${case#*|}"
done

start_x -screen 0 1280x1024x24
# Destroyed by another client, here while it may still be painting: as on
# Windows, WM_DESTROY, and the program ends with 0 and nothing to say.
start_program
xdotool windowclose "$window"
exits_with 0 1

# Enlarged far beyond the picture: still the picture, in bounded memory. The
# picture shown again after a remap means the program has handled the resize.
start_program
xdotool windowsize --sync "$window" 20000 20000 windowunmap --sync "$window" windowmap "$window"
until_within 5 shows 554 554 || fail "the picture did not stay"
peak=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
((peak < 100000)) || fail "peak memory $peak kB"

# The server dies: one line, exit 1, within a second.
start_program
kill -9 "${pids[1]}"  # this server
fails_with "lost the connection to X display '$DISPLAY'" 1
