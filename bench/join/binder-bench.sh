#!/bin/sh
# What plenwick-join's binder options cost: N generated documents (default 1000) joined plainly,
# with --bookmarks, with --page-numbers continuous and with --contents; then the first M (default
# 200) joined alone and with --contents --pdf. Each run three times; prints wall time, CPU time and
# peak memory (for --pdf that of LibreOffice's process too, which is our helper's child).
#
#   bench/join/binder-bench.sh [path/to/plenwick-join] [N] [M]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$here/../../build/default/cli/plenwick-join}
n=${2:-1000}
m=${3:-200}
shared=$(cd "$here/../../.." && pwd)/shared
gen=$shared/tools/gen_corpus.py
if [ ! -x "$bin" ]; then echo "no program at $bin (build plenwick-join)" >&2; exit 2; fi
if [ ! -f "$gen" ]; then echo "no generator at $gen" >&2; exit 2; fi
work=$(mktemp -d "${TMPDIR:-/tmp}/plenwick-binder-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
/usr/bin/python3 "$gen" --count "$n" --out "$work/in$n" > /dev/null
mkdir "$work/in$m"
ls "$work/in$n" | sort | head -n "$m" | while read -r f; do cp "$work/in$n/$f" "$work/in$m/"; done

runs() {
  label=$1
  shift
  for i in 1 2 3; do
    rm -f "$work/out.docx" "$work/out.pdf"
    /usr/bin/time -f "$label, run $i: %e s wall, %U s user, %S s system, %M KB peak" \
      "$bin" -q "$@" > /dev/null
  done
}
echo "N = $n"
runs "plain" -o "$work/out.docx" "$work/in$n"
runs "--bookmarks" --bookmarks -o "$work/out.docx" "$work/in$n"
runs "--page-numbers continuous" --page-numbers continuous -o "$work/out.docx" "$work/in$n"
runs "--contents" --contents -o "$work/out.docx" "$work/in$n"
echo "M = $m"
runs "--contents" --contents -o "$work/out.docx" "$work/in$m"
runs "--contents --pdf" --contents --pdf "$work/out.pdf" -o "$work/out.docx" "$work/in$m"
