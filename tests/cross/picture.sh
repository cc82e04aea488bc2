#!/usr/bin/env bash
# Builds the picture with the project's compiler flags, for another
# architecture with Debian's cross compiler or natively for x86_64, runs it
# under qemu-user, on the emulated processor CPU if given, and compares it with
# the reference pixel for pixel: the x87 unit's excess precision on 32-bit x86,
# fused multiply-adds on aarch64, or a vector path of the escape map would
# change pixels. PATH is the escape map path that processor must take.
#   picture.sh SOURCE_DIR WORK_DIR i686|aarch64|x86_64 PATH [CPU]
set -euo pipefail
source=$1 work=$2 arch=$3 path=$4 cpu=${5:-}
qemu=qemu-${arch/i686/i386}
toolchain=-DCMAKE_TOOLCHAIN_FILE=$source/cmake/linux-$arch.cmake
[ "$arch" != x86_64 ] || toolchain=
type -P "$arch-linux-gnu-g++" "$qemu" compare >/dev/null || { echo "skipped: a tool is missing"; exit 77; }
rm -rf "$work" && mkdir -p "$work"
{ cmake -S "$(dirname "$0")/picture" -B "$work" $toolchain && cmake --build "$work"; } >"$work/log" 2>&1 ||
  { cat "$work/log"; exit 1; }
timeout 120 "$qemu" ${cpu:+-cpu "$cpu"} -L "/usr/$arch-linux-gnu" "$work/picture_ppm" \
  >"$work/picture.ppm" 2>"$work/path"
[ "$(tail -n1 "$work/path")" = "$path" ] || { echo "took the escape map path $(<"$work/path"), not $path"; exit 1; }
compare -metric AE "$source/docs/picture.png" "$work/picture.ppm" null: 2>&1 && echo
