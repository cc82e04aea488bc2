#!/usr/bin/env bash
# The icon tool at full size must give back the picture unchanged, byte for
# byte what mandelbrot-snapshot writes: any slip in the averaging's weights or
# pixel indexing shows there. Sizes it can't make are refused.
# shellcheck source-path=SCRIPTDIR source=common.sh
. "$(dirname "$0")/common.sh"
icon_tool=$1 snapshot_tool=$2

"$icon_tool" 554 "$scratch/icon.png"
"$snapshot_tool" "$scratch/picture.png"
cmp "$scratch/icon.png" "$scratch/picture.png"

for size in 0 555 48px ""; do
  status=0
  "$icon_tool" "$size" "$scratch/bad.png" 2>/dev/null || status=$?
  [ "$status" -eq 2 ] || { echo "size '$size' gave status $status, not 2"; exit 1; }
done
