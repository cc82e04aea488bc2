#!/usr/bin/env bash
# Each manual page renders with no complaint from groff at its strictest.
# shellcheck source-path=SCRIPTDIR source=common.sh
. "$(dirname "$0")/common.sh"
require man

failed=0
for page in "$@"; do
  if ! complaints=$(MANWIDTH=80 man --warnings=w -l "$page" 2>&1 >/dev/null) ||
    [ -n "$complaints" ]; then
    echo "$page:"
    echo "$complaints"
    failed=1
  fi
done
exit $failed
