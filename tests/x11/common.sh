# shellcheck shell=bash
# Sourced by the X11 tests: a private Xvfb, the program on it, and waiting on
# conditions with deadlines. Arguments: the program, the reference picture
# and x_probe.
# shellcheck source-path=SCRIPTDIR/.. source=common.sh
. "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
readonly program=$1 picture=$2 x_probe=$3
shift 3
require Xvfb xdotool xprop xwininfo import compare convert strace
pids=()
trap 'kill -9 "${pids[@]}" 2>/dev/null; rm -rf "$scratch"' EXIT
# X11 only, even inside a Wayland session.
unset WAYLAND_DISPLAY MANDELBROT_BACKEND
export XDG_RUNTIME_DIR=$scratch

# bounded SECONDS COMMAND...: the command, which waits on its own (xdotool
# --sync, import), ended when it takes longer.
bounded() {
  local limit=$(($1 * ${TIME_SCALE:-1})) && shift
  timeout -k 1 "$limit" "$@" || fail "'$*' failed or took over $limit s (status $?)"
}

# start_x [Xvfb options...]: a server on a free display, as DISPLAY.
start_x() {
  local file=$scratch/display${#pids[@]}
  Xvfb -displayfd 3 -nolisten tcp -noreset "$@" 3>"$file" 2>/dev/null &
  pids+=($!)
  until_within 20 grep -qs . "$file" || fail "Xvfb did not start"
  export DISPLAY=:$(<"$file")
}

# start_program [arguments...]: sets pid, and window once it is viewable.
start_program() {
  "$program" "$@" 2>"$scratch/stderr" &
  pid=$!
  pids+=("$pid")
  until_within 15 eval 'window=$(timeout 5 xdotool search --onlyvisible --pid "$pid" 2>/dev/null |
    head -n1)' || fail "no window appeared: $(<"$scratch/stderr")"
}

# shows W H [EXPECTED]: the client area's top-left W x H pixels are those of
# the expected image, by default the picture. Sets seen to the number of
# pixels that differ.
shows() {
  seen="no screenshot"
  timeout 10 import -window "$window" -depth 8 -crop "$1x$2+0+0" +repage "$scratch/shot.png" \
    2>/dev/null && convert "${3:-$picture}" -crop "$1x$2+0+0" +repage "$scratch/want.png" &&
    seen="$(compare -metric AE "$scratch/want.png" "$scratch/shot.png" null: 2>&1) pixels differ" &&
    [ "$seen" = "0 pixels differ" ]
}

# exits_with CODE SECONDS: the program ends with CODE within SECONDS, and
# having said nothing if CODE is 0.
exits_with() {
  # The shell reaps its children as they end, so a gone process has ended.
  until_within "$2" eval '! kill -0 "$pid" 2>/dev/null' || fail "still running after $2 s"
  local status=0
  wait "$pid" || status=$?
  [ "$status" = "$1" ] || fail "exit status $status, not $1: $(<"$scratch/stderr")"
  [ "$status" != 0 ] || [ ! -s "$scratch/stderr" ] || fail "said: $(<"$scratch/stderr")"
}

# The client area's size as W H.
client_size() { timeout 5 xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {print w, $2}'; }
