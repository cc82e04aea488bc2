#!/usr/bin/env bash
# Builds the picture for another architecture with the project's flags and a
# cross compiler, runs it under qemu-user and compares it with the reference
# pixel for pixel: x87 excess precision on 32-bit x86 and fused multiply-adds
# on aarch64 would each change pixels at the set's edge.
#   picture.sh TOOLCHAIN_FILE QEMU SYSROOT REFERENCE.png WORK_DIR
set -euo pipefail
toolchain=$1 qemu=$2 sysroot=$3 reference=$4 work=$5
compiler=$(sed -n 's/^set(CMAKE_CXX_COMPILER \(.*\))$/\1/p' "$toolchain")
for tool in "$compiler" "$qemu" compare; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

rm -rf "$work" && mkdir -p "$work"
log=$work/build.log
cmake -S "$(dirname "$0")/picture" -B "$work" -DCMAKE_TOOLCHAIN_FILE="$toolchain" >"$log" 2>&1 &&
  cmake --build "$work" >>"$log" 2>&1 || { cat "$log"; exit 1; }
"$qemu" -L "$sysroot" "$work/picture_ppm" >"$work/picture.ppm"
compare -metric AE "$reference" "$work/picture.ppm" null: 2>&1 && echo
