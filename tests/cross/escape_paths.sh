#!/usr/bin/env bash
# Runs the escape map tests under qemu-user on emulated processors, each
# lacking an instruction set the one above has. Every path the processor has
# must run and agree with isMandelbrot; every other must say it is missing.
# A kernel of a richer instruction set behind a path, or a feature test that
# claims too much, dies of an illegal instruction. Opteron_G5 has FMA and AVX
# but no AVX2, Haswell no AVX-512, Nehalem no AVX.
#   escape_paths.sh FRACTAL_TEST
set -euo pipefail
[ "$(uname -m)" = x86_64 ] && type -P qemu-x86_64 >/dev/null || { echo "skipped: needs qemu-x86_64 on x86_64"; exit 77; }
for run in "Nehalem sse2 scalar" "Opteron_G5 sse2 scalar" "Haswell avx2 sse2 scalar"; do
  read -r cpu paths <<<"$run"
  log=$(timeout 250 qemu-x86_64 -cpu "$cpu" "$1" --gtest_filter='All/EscapePaths.*' 2>&1) ||
    { echo "$log" | tail -n 20; echo "failed on $cpu"; exit 1; }
  ran=$(sed -n 's|^\[ *OK \] All/EscapePaths\.[A-Za-z]*/\([a-z0-9]*\) .*|\1|p' <<<"$log" | xargs)
  [ "$ran" = "$paths" ] || { echo "$cpu ran the paths '$ran', not '$paths'"; exit 1; }
done
