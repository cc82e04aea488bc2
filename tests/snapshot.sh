#!/usr/bin/env bash
# mandelbrot-snapshot writes the exact picture, replaces a file whole and
# durably, honours the umask, refuses wrong usage with 2, and an unwritable
# path with 1 and a line naming it and the cause, leaving nothing behind.
#   snapshot.sh TOOL REFERENCE.png
# shellcheck source-path=SCRIPTDIR source=common.sh
. "$(dirname "$0")/common.sh"
tool=$1 reference=$2 dir=$scratch
status() { "$@" 2>"$dir/err" >/dev/null && echo 0 || echo $?; }

echo "not a picture" >"$dir/old.png"
(umask 027 && "$tool" "$dir/old.png")
[ "$(compare -metric AE "$reference" "$dir/old.png" null: 2>&1)" = 0 ] || fail "picture differs"
[ "$(stat -c %a "$dir/old.png")" = 640 ] || fail "mode ignores the umask"
# Durable: the new file is on the disk before it replaces the old one, and
# the folder, which holds the replacement, after. (LeakSanitizer can't work
# under strace; the other runs have it.)
ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
  strace -f -y -o "$dir/trace" -e trace=fsync,fdatasync,rename,renameat,renameat2 "$tool" "$dir/old.png"
awk -v file="$dir/old.png" -v folder="$dir" '/f(data)?sync\(/ && index($0, "<" file ".") { synced = 1 }
  /rename/ && index($0, "\"" file "\"") { renamed = synced }
  /f(data)?sync\(/ && index($0, "<" folder ">") { durable = renamed }
  END { exit !durable }' "$dir/trace" || fail "not durable: $(cat "$dir/trace")"
rm "$dir/trace"

for arguments in "" "a.png b.png" "--bogus" "''"; do
  eval "set -- $arguments"
  [ "$(status "$tool" "$@")" = 2 ] || fail "usage '$arguments' not refused with 2"
  grep -q "usage: mandelbrot-snapshot FILE.png" "$dir/err" || fail "no usage for '$arguments'"
done
[ "$(status "$tool" --help)" = 0 ] || fail "--help"

mkdir "$dir/folder.png" && touch "$dir/folder.png/keep"
for case in "missing/p.png:No such file or directory" "folder.png:Is a directory"; do
  target=$dir/${case%%:*}
  [ "$(status "$tool" "$target")" = 1 ] || fail "$target: not 1"
  [ "$(cat "$dir/err")" = "mandelbrot-snapshot: cannot write '$target': ${case#*:}" ] ||
    fail "$target: $(cat "$dir/err")"
done
[ -f "$dir/folder.png/keep" ] || fail "the folder in the way was touched"
[ "$(ls "$dir")" = "$(printf 'err\nfolder.png\nold.png')" ] || fail "left behind: $(ls "$dir")"
echo "snapshot: all checks passed"
