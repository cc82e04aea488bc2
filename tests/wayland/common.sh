# shellcheck shell=bash
# Sourced by the Wayland tests: a private runtime folder, cleaned up with
# everything the test started, and deadline-bound waits.
set -u
dir=$(mktemp -d)
chmod 700 "$dir"
server_pid='' app=''
cleanup() {
  kill -9 $app 2>/dev/null
  [ -z "$server_pid" ] || kill -9 -- -"$server_pid" $server_pid 2>/dev/null
  wait 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
# Polls a command every 50 ms until it succeeds or SECONDS have passed.
within() {
  local end=$(($(date +%s%N) + $1 * 1000000000))
  shift
  until "$@"; do
    [ "$(date +%s%N)" -lt $end ] || return 1
    sleep 0.05
  done
}
unset DISPLAY MANDELBROT_BACKEND
LSAN_OPTIONS=suppressions=$(dirname "$0")/third_party_leaks.supp:print_suppressions=0
export LSAN_OPTIONS
export XDG_RUNTIME_DIR=$dir
cpu() { awk '{print $14 + $15}' "/proc/$app/stat"; }
# What the program said, without the protocol log.
said() { grep -v '^\[' "$dir/log" >"$dir/err"; test -s "$dir/err"; }
exited() { [[ "$(awk '{print $3}' "/proc/$app/stat" 2>/dev/null)" =~ ^Z?$ ]]; }
protocol() { awk "$@" -f "$(dirname "$0")/protocol.awk" "$dir/log"; }
