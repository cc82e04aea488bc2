# shellcheck shell=bash
# Sourced by the Wayland tests: a private runtime folder, cleaned up with
# everything the test started, and the waits.
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
. "$(dirname "${BASH_SOURCE[0]}")/../waits.sh"
unset DISPLAY MANDELBROT_BACKEND
export LSAN_OPTIONS=suppressions=$(dirname "$0")/third_party_leaks.supp:print_suppressions=0 XDG_RUNTIME_DIR=$dir
# What the program said, without the protocol log.
said() { grep -v '^\[' "$dir/log" >"$dir/err"; test -s "$dir/err"; }
exited() { [[ "$(awk '{print $3}' "/proc/$app/stat" 2>/dev/null)" =~ ^Z?$ ]]; }
protocol() { awk "$@" -f "$(dirname "$0")/protocol.awk" "$dir/log"; }
# ends_with STATUS CASE [PATTERN]: the program ends with STATUS, and given
# PATTERN, having said one line, its own, matching it.
ends_with() {
  wait $app
  local status=$?
  [ $status -eq "$1" ] && { [ $# -lt 3 ] || [ "$(grep -vc "^mandelbrot: $3" "$dir/err")$(wc -l <"$dir/err")" = 01 ]; } ||
    fail "$2: exit $status, said: $(cat "$dir/err")"
}
