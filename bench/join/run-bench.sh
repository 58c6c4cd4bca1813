#!/bin/sh
# Joins N generated one-page documents (about 100 KB each, with a 30 KB picture) for
# N = 250, 500, 1000 and 2000: once saving after every document, as the join run does, and once
# saving only at the end. Prints wall time, processor time and peak memory of each run, and the
# ratios the engine is held to: N = 2000 against N = 1000, and saving after each against once.
# Saving after each is also set against the disk alone: the same number of saves of the same size,
# written, flushed and renamed as the engine saves but with nothing joined (see
# plenwick-engine-join): no join saving after each document beats it.
#
#   bench/join/run-bench.sh [path/to/plenwick-engine-join] [N ...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$here/../../build/ci/bench/join/plenwick-engine-join}
[ $# -gt 0 ] && shift
counts=${*:-250 500 1000 2000}
shared=${PLENWICK_SHARED_DIR:-$(cd "$here/../../.." && pwd)/shared}
gen=$shared/tools/gen_corpus.py
if [ ! -x "$bin" ]; then echo "no driver at $bin (build plenwick-engine-join)" >&2; exit 2; fi
if [ ! -f "$gen" ]; then echo "no generator at $gen" >&2; exit 2; fi
work=$(mktemp -d "${TMPDIR:-/tmp}/plenwick-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
# "N mode wall processor peak" lines, for the ratios at the end.
: > "$work/figures"
for n in $counts; do
  /usr/bin/python3 "$gen" --count "$n" --out "$work/in$n" > /dev/null
  ls "$work/in$n"/*.docx > "$work/list$n"
  echo "N = $n"
  for mode in each once; do
    flag=
    [ "$mode" = each ] && flag=--save-each
    "$bin" $flag "$work/$mode$n.doc" --inputs-from "$work/list$n" > "$work/out"
    sed 's/^/  /' "$work/out"
    sed -nE "s/.* in ([0-9.]+) s \(processor ([0-9.]+) s\).*peak memory ([0-9.]+) MB/$n $mode \1 \2 \3/p" \
      "$work/out" >> "$work/figures"
    sed -nE "s/^the disk alone: .* in ([0-9.]+) s \(processor ([0-9.]+) s\)$/$n disk \1 \2 0/p" "$work/out" \
      >> "$work/figures"
    rm -f "$work/$mode$n.doc"
  done
  rm -rf "$work/in$n"
done
awk '
  { wall[$1 " " $2] = $3; cpu[$1 " " $2] = $4 }
  END {
    for (k in wall) { split(k, p, " "); if (p[2] == "each" && (p[1] " once") in wall)
      printf "N = %s: save after each / once: wall %.2f, processor %.2f\n", p[1],
        wall[k] / wall[p[1] " once"], cpu[k] / cpu[p[1] " once"]
      if (p[2] == "each" && (p[1] " disk") in wall)
        printf "N = %s: save after each / the disk alone: wall %.2f\n", p[1],
          wall[k] / wall[p[1] " disk"] }
    if (("1000 each") in wall && ("2000 each") in wall)
      printf "N = 2000 / N = 1000, save after each: wall %.2f, processor %.2f\n",
        wall["2000 each"] / wall["1000 each"], cpu["2000 each"] / cpu["1000 each"]
    if (("1000 once") in wall && ("2000 once") in wall)
      printf "N = 2000 / N = 1000, save once: wall %.2f, processor %.2f\n",
        wall["2000 once"] / wall["1000 once"], cpu["2000 once"] / cpu["1000 once"]
  }' "$work/figures" | sort
