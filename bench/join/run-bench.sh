#!/bin/sh
# Joins N generated one-page documents (about 100 KB each, with a 30 KB picture) for
# N = 50, 200 and 1000: once saving after every document, as the join run does, and once saving
# only at the end. Prints wall time and peak memory of each run.
#
#   bench/join/run-bench.sh [path/to/plenwick-engine-join] [N ...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$here/../../build/default/bench/join/plenwick-engine-join}
[ $# -gt 0 ] && shift
counts=${*:-50 200 1000}
shared=$(cd "$here/../../.." && pwd)/shared
gen=$shared/tools/gen_corpus.py
if [ ! -x "$bin" ]; then echo "no driver at $bin (build plenwick-engine-join)" >&2; exit 2; fi
if [ ! -f "$gen" ]; then echo "no generator at $gen" >&2; exit 2; fi
work=$(mktemp -d "${TMPDIR:-/tmp}/plenwick-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
for n in $counts; do
  /usr/bin/python3 "$gen" --count "$n" --out "$work/in$n" > /dev/null
  ls "$work/in$n"/*.docx > "$work/list$n"
  echo "N = $n"
  "$bin" --save-each "$work/each$n.doc" --inputs-from "$work/list$n"
  "$bin" "$work/once$n.doc" --inputs-from "$work/list$n"
done
