#!/usr/bin/env bash
# The installed tree, the Debian package, the desktop entry, the manual pages
# and the icon tool.
#   packaging.sh CHECK BUILD_DIR SOURCE_DIR
# shellcheck source-path=SCRIPTDIR source=common.sh
. "$(dirname "$0")/common.sh"
check=$1 build=$2 source=$3
installed=(bin/mandelbrot bin/mandelbrot-snapshot share/applications/mandelbrot.desktop
  share/icons/hicolor/{48x48,128x128,256x256}/apps/mandelbrot.png
  share/man/man1/mandelbrot.1 share/man/man1/mandelbrot-snapshot.1)
deb() {
  require cpack dpkg-deb dpkg-shlibdeps
  cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/deb" >"$scratch/log" 2>&1 || fail "$(cat "$scratch/log")"
  echo "$scratch"/deb/*.deb
}

case $check in
icon) # at full size the averaging gives back the picture unchanged
  "$build/packaging/mandelbrot-icon" 554 "$scratch/icon.png"
  [ "$(compare -metric AE "$source/docs/picture.png" "$scratch/icon.png" null: 2>&1)" = 0 ] ;;
install-tree) # exactly these files, icons at their sizes, the entry naming them
  cmake --install "$build" --prefix "$scratch/p" >/dev/null
  diff <(printf '%s\n' "${installed[@]}" | sort) <(cd "$scratch/p" && find . ! -type d | cut -c3- | sort)
  [ "$(identify -format '%wx%h ' "$scratch"/p/share/icons/hicolor/*/apps/mandelbrot.png)" = "128x128 256x256 48x48 " ]
  [ -x "$scratch/p/bin/$(sed -n 's/^Exec=//p' "$scratch/p/share/applications/mandelbrot.desktop")" ] ;;
deb) # the libraries it loads, its section, the installed files and Debian's own
  package=$(deb)
  depends=$(dpkg-deb -f "$package" Depends | sed 's/ *([^)]*)//g; s/, */\n/g' | sort | xargs)
  [ "$depends" = "libc6 libdecor-0-0 libdecor-0-plugin-1-cairo libgcc-s1 libpng16-16 libstdc++6 libwayland-client0 libx11-6" ] ||
    fail "depends on $depends"
  [ "$(dpkg-deb -f "$package" Section)" = graphics ]
  diff <({
    printf '/usr/%s\n' "${installed[@]}" | sed 's|/man/man1/.*\.1$|&.gz|'
    printf '/usr/share/doc/mandelbrot/%s\n' changelog.gz copyright
  } | sort) <(dpkg --contents "$package" | awk '!/^d/ { sub(/^\./, "", $6); print $6 }' | sort) ;;
lintian)
  require lintian
  lintian --fail-on error "$(deb)" ;;
esac
