#!/usr/bin/env bash
# The Windows build as a file and as a download: a stripped GUI program
# needing only the system's DLLs, with the icon, version information and
# manifest that Explorer and the loader read, and the zip users get.
#   files.sh BUILD_DIR ARCH ICON_TOOL COMMITTED.ico VERSION
# shellcheck source-path=SCRIPTDIR/.. source=common.sh
. "$(dirname "$0")/../common.sh"
build=$1 arch=$2 icon_tool=$3 ico=$4 version=$5
exe=$build/shell/mandelbrot.exe name=mandelbrot-$version-$([ "$arch" = i686 ] && echo win32 || echo win64)
[ -f "$exe" ] || { echo "skipped: no mingw-w64 build"; exit 77; }
require "$arch-w64-mingw32-objdump" wrestool icotool cpack

headers=$("$arch-w64-mingw32-objdump" -p -t "$exe")
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "not linked for the GUI subsystem"
grep -q '^no symbols' <<<"$headers" || fail "not stripped"
# A runtime DLL left dynamic (libstdc++, libgcc, winpthread) would have to ship beside it.
dlls=$(sed -n 's/.*DLL Name: //p' <<<"$headers" | tr '[:upper:]' '[:lower:]' | sort | xargs)
[ "$dlls" = "gdi32.dll kernel32.dll msvcrt.dll user32.dll" ] || fail "imports $dlls"

# The exe carries the committed icon, and that is what the tool draws today.
"$icon_tool" --ico "$scratch/drawn.ico"
cmp "$scratch/drawn.ico" "$ico" || fail "$ico is stale: build the windows-icon target"
cmp -n "$(stat -c %s "$ico")" <(wrestool -x -t14 "$exe") "$ico" || fail "the exe's icon is not $ico"
[ "$(icotool -l "$ico" | grep -o 'width=[0-9]*' | xargs)" = "width=16 width=32 width=48 width=256" ] ||
  fail "icon sizes $(icotool -l "$ico")"
# Version strings are UTF-16: without their zero bytes each key runs into its value.
info=$(wrestool -x --raw -t16 "$exe" | tr -d '\0')$(wrestool -x --raw -t24 "$exe")
for text in "FileDescriptionMandelbrot's Set" "FileVersion$version" CompanyNamemandelbrot \
  'LegalCopyrightCopyright ' 'level="asInvoker"' '>true/pm<' '>PerMonitorV2, PerMonitor<' \
  '{e2011457-1546-43c5-a5fe-008deee3d3f0}' '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'; do
  grep -aqF "$text" <<<"$info" || fail "no $text in the version information or manifest"
done

cpack --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/log" 2>&1 || fail "$(cat "$scratch/log")"
contents=$(cmake -E tar tf "$scratch/$name.zip" | sort | xargs)
[ "$contents" = "$name/README.txt $name/mandelbrot.exe" ] || fail "$name.zip holds $contents"
