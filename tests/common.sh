# shellcheck shell=bash
# Sourced by the test scripts: the display tests' waits and failure, a skip
# (CTest's 77) where a tool is missing, which proves nothing either way, and
# a scratch folder.
# shellcheck source-path=SCRIPTDIR source=waits.sh
. "$(dirname "${BASH_SOURCE[0]}")/waits.sh"
set -euo pipefail
require() { type -P "$@" >/dev/null || { echo "skipped: one of $* is missing"; exit 77; }; }
# shellcheck disable=SC2034  # used by the scripts that source this
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
