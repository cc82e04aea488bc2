#!/usr/bin/env bash
# The Debian package declares the libraries the programs load, its section and
# maintainer, and holds the installed files under /usr plus what Debian asks
# of every package: compressed manual pages, a copyright file and a changelog
# whose latest entry is this version.
# shellcheck source-path=SCRIPTDIR source=common.sh
. "$(dirname "$0")/common.sh"
deb=$(build_deb "$1")

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
packages=$(sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends")
for library in libc6 libgcc-s1 libpng16-16 libstdc++6 libx11-6; do
  grep -qxF "$library" <<<"$packages" || { echo "no dependency on $library"; exit 1; }
done
[ "$(dpkg-deb -f "$deb" Section)" = graphics ]
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ]
[ "$(dpkg-deb -f "$deb" Description | wc -l)" -ge 2 ] # a summary and a longer text

diff <({
  printf '/usr/%s\n' "${INSTALLED_FILES[@]}" | sed 's|/man/man1/.*\.1$|&.gz|'
  printf '/usr/share/doc/mandelbrot/%s\n' changelog.gz copyright
} | sort) <(dpkg --contents "$deb" | awk '!/^d/ { sub(/^\./, "", $6); print $6 }' | sort)

dpkg-deb -x "$deb" "$scratch/root"
version=$(dpkg-deb -f "$deb" Version)
zcat "$scratch/root/usr/share/doc/mandelbrot/changelog.gz" | head -1 | grep -F "($version)"
