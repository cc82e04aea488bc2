# shellcheck shell=bash
# Sourced by the display tests: failing with a message, and waiting on a
# condition with a deadline.

fail() { echo "FAIL (lines ${BASH_LINENO[*]}): $*" >&2; exit 1; }

# until_within SECONDS COMMAND...: runs the command until it succeeds or time
# is up; TIME_SCALE times as long for a slow (sanitized or unoptimised) build.
until_within() {
  local deadline=$((${EPOCHREALTIME/./} + $1 * ${TIME_SCALE:-1} * 1000000)) && shift
  until "$@"; do
    ((${EPOCHREALTIME/./} < deadline)) || return 1
    sleep 0.01
  done
}
