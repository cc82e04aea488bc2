# shellcheck shell=bash
# Sourced by the scripts here.
set -euo pipefail
fail() { echo "$*"; exit 1; }
# Skips (CTest's 77) where a tool is missing: that proves nothing either way.
require() { type -P "$@" >/dev/null || { echo "skipped: one of $* is missing"; exit 77; }; }
# shellcheck disable=SC2034  # used by the scripts that source this
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
