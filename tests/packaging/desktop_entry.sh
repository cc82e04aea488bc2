#!/usr/bin/env bash
# The desktop entry passes the freedesktop.org checker. Warnings fail too:
# menus treat warned-about entries differently from one desktop to the next.
# Hints are advice, such as the one that two main categories may list the
# program twice, which is wanted here.
# shellcheck source-path=SCRIPTDIR source=common.sh
. "$(dirname "$0")/common.sh"
require desktop-file-validate

status=0
report=$(desktop-file-validate "$1" 2>&1) || status=$?
echo "$report"
[ "$status" -eq 0 ] && ! grep -v ': hint: ' <<<"$report" | grep -q .
