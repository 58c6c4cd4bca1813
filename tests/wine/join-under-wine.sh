#!/bin/sh
# join-under-wine.sh WINDOWS_BUILD LINUX_PLENWICK_JOIN WORK [COUNT]
#
# Runs the Windows plenwick-join.exe under wine64 next to the Linux build on the same inputs: a
# generated set of COUNT documents (default 30) and a tree of folders and files with names
# outside ASCII. Each output must pass docx-check and hold exactly the Linux output's parts
# (the save time in docProps/core.xml aside), and both programs must list the same documents in
# the same order. Also checks the program's manifest (UTF-8 code page, matching architecture).
# Prints the time each program took. Exit 77 (skipped) when something it needs is missing.
set -eu
[ $# -ge 3 ] || { echo "usage: $0 WINDOWS_BUILD LINUX_PLENWICK_JOIN WORK [COUNT]" >&2; exit 64; }
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
linux=$2
work=$3
count=${4:-30}
exe=$build/cli/plenwick-join.exe
python=/usr/bin/python3
tools=${PLENWICK_SHARED_DIR:-$here/../../../shared}/tools

skip() { echo "SKIPPED: $*"; exit 77; }
[ -x "$linux" ] || skip "no Linux plenwick-join at $linux (build the ci preset first)"
[ -f "$exe" ] || skip "no $exe"
[ -f "$tools/gen_corpus.py" ] || skip "no ../shared/tools beside this checkout"
$python -c 'import docx' 2>/dev/null || skip "Debian's python3-docx is missing"

wine() { sh "$here/../../cmake/run-under-wine64.sh" "$build/wineprefix" "$@"; }
# A Linux path as wine's Windows programs name it (drive Z: is the Linux root).
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
failed=0
fail() { echo "FAILED: $*"; failed=1; }

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

# The manifest: UTF-8 as the code page (arguments and file names arrive as UTF-8) and the
# build's own architecture, or Windows refuses to start the program.
if command -v wrestool >/dev/null; then
  manifest=$(wrestool -x --raw --type=24 --name=1 "$exe" 2>/dev/null || true)
  echo "$manifest" | grep -q '<activeCodePage[^>]*>UTF-8</activeCodePage>' ||
    fail "the manifest does not make UTF-8 the code page"
  echo "$manifest" | grep -q 'processorArchitecture="amd64"' ||
    fail "the manifest's architecture is not amd64"
fi

# The inputs: a generated set, and a tree with names in several scripts.
$python "$tools/gen_corpus.py" --count "$count" --out "$work/set" --seed 7 >/dev/null
mkdir -p "$work/tree/Ünïcödé/日本語" "$work/tree/Ελληνικά" "$work/tree/plain"
cp "$work/set/doc001.docx" "$work/tree/Résumé 1.docx"
cp "$work/set/doc002.docx" "$work/tree/Ünïcödé/Übersicht ②.docx"
cp "$work/set/doc003.docx" "$work/tree/Ünïcödé/日本語/報告書.docx"
cp "$work/set/doc004.docx" "$work/tree/Ελληνικά/Έκθεση 10.docx"
cp "$work/set/doc005.docx" "$work/tree/Ελληνικά/Έκθεση 9.docx"
cp "$work/set/doc006.docx" "$work/tree/plain/emoji 😀.docx"
echo "not a document" >"$work/tree/plain/notes.txt"

for input in set tree; do
  src=$work/$input
  mkdir -p "$work/out-$input"
  # What each would join, in order, spelled the Linux way.
  "$linux" --list "$src" >"$work/out-$input/linux.list"
  wine "$exe" --list "$(winpath "$src")" | tr -d '\r' | sed 's/^Z://' | tr '\\' / \
    >"$work/out-$input/windows.list"
  cmp -s "$work/out-$input/linux.list" "$work/out-$input/windows.list" ||
    fail "$input: the two programs list different documents (see $work/out-$input/*.list)"
  [ -s "$work/out-$input/linux.list" ] || fail "$input: nothing listed"

  start=$(date +%s.%N)
  "$linux" --quiet --output "$work/out-$input/linux.docx" "$src" >/dev/null ||
    fail "$input: the Linux build failed"
  middle=$(date +%s.%N)
  wine "$exe" --quiet --output "$(winpath "$work/out-$input/windows.docx")" "$(winpath "$src")" \
    >/dev/null || fail "$input: the Windows build failed"
  end=$(date +%s.%N)
  documents=$(wc -l <"$work/out-$input/linux.list")
  echo "$input: $documents documents: Linux $(awk "BEGIN { print $middle - $start }") s," \
    "Windows under wine64 $(awk "BEGIN { print $end - $middle }") s"

  for which in linux windows; do
    $python "$tools/docx-check/docx-check" --errors-only "$work/out-$input/$which.docx" \
      >"$work/out-$input/$which.check" 2>&1 ||
      fail "$input: docx-check finds errors in the $which output: $(tail -n 3 "$work/out-$input/$which.check")"
  done
  $python "$here/compare_parts.py" "$work/out-$input/linux.docx" "$work/out-$input/windows.docx" ||
    fail "$input: the outputs differ"
done

[ $failed -eq 0 ] && echo "plenwick-join.exe under wine64 matches the Linux build"
exit $failed
