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

# stays_idle PID [TICKS]: within 20 s the process spends a whole second using
# at most TICKS clock ticks of processor time (default 0); one that spins or
# keeps repainting never does.
stays_idle() {
  local idle_pid=$1 allowed=${2:-0} used=unknown before
  ticks() { awk '{print $14 + $15}' "/proc/$idle_pid/stat"; }
  until_within 20 eval 'before=$(ticks) && sleep 1 && used=$(($(ticks) - before)) &&
    ((used <= allowed))' || fail "busy while idle: $used ticks in the last second"
}
