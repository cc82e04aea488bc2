#!/usr/bin/env bash
# The project configured for 32-bit Windows with clang-cl, as in a developer
# prompt or by Visual Studio's ClangCL toolset: a single-configuration build
# defaults to Release, and the escape test compiles to SSE2 code. clang-cl targets the x87 unit for
# i686 unless told otherwise, and x87's excess precision changes pixels.
#   clang_cl.sh SOURCE_DIR
# shellcheck source-path=SCRIPTDIR/.. source=common.sh
. "$(dirname "$0")/../common.sh"
source=$1 build=$scratch/build
require clang-cl-14 lld-link-14 llvm-rc-14 llvm-lib-14 llvm-objdump-14
# Without the Windows SDK here, a stand-in <cmath> declares what the escape
# test uses, as the real one does: clang-cl reads INCLUDE as cl.exe does.
mkdir "$scratch/include"
printf 'extern "C" double sqrt(double);\nnamespace std { using ::sqrt; }\n' >"$scratch/include/cmath"
export INCLUDE=$scratch/include
# Nothing can be linked without the SDK, so CMake's checks build libraries.
cmake -S "$source" -B "$build" -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=x86 \
  -DCMAKE_CXX_COMPILER=clang-cl-14 -DCMAKE_CXX_COMPILER_TARGET=i686-pc-windows-msvc \
  -DCMAKE_LINKER="$(type -P lld-link-14)" -DCMAKE_AR="$(type -P llvm-lib-14)" \
  -DCMAKE_RC_COMPILER="$(type -P llvm-rc-14)" -DCMAKE_TRY_COMPILE_TARGET_TYPE=STATIC_LIBRARY \
  >"$scratch/log" 2>&1 || fail "$(cat "$scratch/log")"
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
[ "$type" = Release ] || fail "the build type is '$type', not Release"
make -C "$build/fractal" escape_test.cpp.obj >"$scratch/log" 2>&1 || fail "$(cat "$scratch/log")"
obj=$build/fractal/CMakeFiles/fractal.dir/escape_test.cpp.obj
# 32-bit Windows returns a double, here the runtime's square root, on the x87
# stack, so an fstp of it is expected; loads and arithmetic are not.
x87=$(llvm-objdump-14 -d --no-show-raw-insn "$obj" | grep -E '\sf(i?ld|add|sub|mul|div|sqrt)' || true)
[ -z "$x87" ] || fail "x87 arithmetic in the escape test:"$'\n'"$(head -5 <<<"$x87")"
