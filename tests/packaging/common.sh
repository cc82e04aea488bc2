# shellcheck shell=bash
# Sourced by the packaging tests.
set -euo pipefail

# What CTest reads as "skipped": a missing tool proves nothing either way.
readonly SKIP=77
require() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed" >&2; exit $SKIP; }
  done
}

# Every file `cmake --install` puts under its prefix, and nothing else.
# shellcheck disable=SC2034  # read by the scripts that source this
readonly INSTALLED_FILES=(
  bin/mandelbrot
  bin/mandelbrot-snapshot
  share/applications/mandelbrot.desktop
  share/icons/hicolor/128x128/apps/mandelbrot.png
  share/icons/hicolor/256x256/apps/mandelbrot.png
  share/icons/hicolor/48x48/apps/mandelbrot.png
  share/man/man1/mandelbrot-snapshot.1
  share/man/man1/mandelbrot.1
)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Packs the Debian package from the build tree $1 into the scratch folder and
# prints its path.
build_deb() {
  require cpack dpkg-deb dpkg-shlibdeps
  cpack --config "$1/CPackConfig.cmake" -G DEB -B "$scratch/deb" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; return 1; }
  echo "$scratch"/deb/*.deb
}
