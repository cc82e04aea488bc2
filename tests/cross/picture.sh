#!/usr/bin/env bash
# Builds the picture for another architecture with the project's compiler
# flags and Debian's cross compiler, runs it under qemu-user and compares it
# with the reference pixel for pixel: the x87 unit's excess precision on
# 32-bit x86, or fused multiply-adds on aarch64, would change pixels.
#   picture.sh SOURCE_DIR i686|aarch64 WORK_DIR
set -euo pipefail
source=$1 arch=$2 work=$3
qemu=qemu-${arch/i686/i386}
type -P "$arch-linux-gnu-g++" "$qemu" compare >/dev/null || { echo "skipped: a tool is missing"; exit 77; }
rm -rf "$work" && mkdir -p "$work"
{ cmake -S "$(dirname "$0")/picture" -B "$work" -DCMAKE_TOOLCHAIN_FILE="$source/cmake/linux-$arch.cmake" &&
  cmake --build "$work"; } >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
"$qemu" -L "/usr/$arch-linux-gnu" "$work/picture_ppm" >"$work/picture.ppm"
compare -metric AE "$source/docs/picture.png" "$work/picture.ppm" null: 2>&1 && echo
