#!/usr/bin/env bash
# `cmake --install` into a fresh prefix puts exactly the expected files there,
# icons at their nominal sizes, and the desktop entry names what was installed.
# shellcheck source-path=SCRIPTDIR source=common.sh
. "$(dirname "$0")/common.sh"
prefix=$scratch/prefix

cmake --install "$1" --prefix "$prefix" >/dev/null
diff <(printf '%s\n' "${INSTALLED_FILES[@]}" | sort) \
  <(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort)

for size in 48 128 256; do
  # A PNG's width and height are the big-endian words at bytes 16 and 20.
  read -r width height < <(od -An -tu4 --endian=big -j16 -N8 \
    "$prefix/share/icons/hicolor/${size}x${size}/apps/mandelbrot.png")
  [ "$width $height" = "$size $size" ] || { echo "${size}px icon is ${width}x${height}"; exit 1; }
done

entry=$prefix/share/applications/mandelbrot.desktop
[ -x "$prefix/bin/$(sed -n 's/^Exec=//p' "$entry")" ]
[ -f "$prefix/share/icons/hicolor/48x48/apps/$(sed -n 's/^Icon=//p' "$entry").png" ]
