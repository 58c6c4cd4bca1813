#!/bin/sh
# Joins N generated one-page documents (about 100 KB each, with a 30 KB picture) for
# N = 250, 500, 1000 and 2000: once saving after every document, as the join run does, and once
# saving only at the end. Prints wall time, processor time and peak memory of each run, and the
# ratios the engine is held to: N = 2000 against N = 1000, and saving after each against once.
# Saving after each is also set against the disk alone: the same number of saves of the same size,
# written, flushed and renamed as the engine saves but with nothing joined (see
# plenwick-engine-join): no join saving after each document beats it.
#
# A shared virtual machine's disk and processors change speed from one minute to the next, so
# each count runs ROUNDS times (3 unless set), the two ways taking turns, and the ratios are
# those of the medians.
#
#   [ROUNDS=n] bench/join/run-bench.sh [path/to/plenwick-engine-join] [N ...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$here/../../build/ci/bench/join/plenwick-engine-join}
[ $# -gt 0 ] && shift
counts=${*:-250 500 1000 2000}
rounds=${ROUNDS:-3}
shared=${PLENWICK_SHARED_DIR:-$(cd "$here/../../.." && pwd)/shared}
gen=$shared/tools/gen_corpus.py
if [ ! -x "$bin" ]; then echo "no driver at $bin (build plenwick-engine-join)" >&2; exit 2; fi
if [ ! -f "$gen" ]; then echo "no generator at $gen" >&2; exit 2; fi
work=$(mktemp -d "${TMPDIR:-/tmp}/plenwick-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
# "N mode wall processor peak" lines, for the medians and ratios at the end.
: > "$work/figures"
for n in $counts; do
  /usr/bin/python3 "$gen" --count "$n" --out "$work/in$n" > /dev/null
  ls "$work/in$n"/*.docx > "$work/list$n"
  echo "N = $n"
  round=1
  while [ "$round" -le "$rounds" ]; do
    for mode in each once; do
      flag=
      [ "$mode" = each ] && flag=--save-each
      "$bin" $flag "$work/$mode$n.doc" --inputs-from "$work/list$n" > "$work/out"
      sed 's/^/  /' "$work/out"
      sed -nE \
        "s/.* in ([0-9.]+) s \(processor ([0-9.]+) s\).*peak memory ([0-9.]+) MB/$n $mode \1 \2 \3/p" \
        "$work/out" >> "$work/figures"
      sed -nE "s/^the disk alone: .* in ([0-9.]+) s \(processor ([0-9.]+) s\)$/$n disk \1 \2 0/p" \
        "$work/out" >> "$work/figures"
      rm -f "$work/$mode$n.doc"
    done
    round=$((round + 1))
  done
  rm -rf "$work/in$n"
done
sort -k1,1n -k2,2 -k3,3n "$work/figures" | awk '
  function median(list, count,   a, k) {
    count = split(list, a, " ")
    return count % 2 ? a[(count + 1) / 2] : (a[count / 2] + a[count / 2 + 1]) / 2
  }
  { key = $1 " " $2; wall[key] = wall[key] " " $3; cpu[key] = cpu[key] " " $4
    if ($5 > peak[key]) peak[key] = $5
    if (!(key in seen)) order[++keys] = key
    seen[key] = 1 }
  END {
    # Processor times are sorted on their own for their median.
    for (o = 1; o <= keys; ++o) {
      k = order[o]
      n = split(cpu[k], c, " "); s = ""
      for (i = 1; i <= n; ++i)
        for (j = i + 1; j <= n; ++j)
          if (c[j] < c[i]) { t = c[i]; c[i] = c[j]; c[j] = t }
      for (i = 1; i <= n; ++i) s = s " " c[i]
      w[k] = median(wall[k]); p[k] = median(s)
      split(k, q, " ")
      printf "median N = %s %s: wall %.3f s, processor %.3f s%s\n", q[1], q[2], w[k], p[k],
        (peak[k] > 0 ? sprintf(", peak memory %.1f MB", peak[k]) : "")
    }
    for (o = 1; o <= keys; ++o) { k = order[o]; split(k, q, " "); if (q[2] != "each") continue
      if ((q[1] " once") in seen)
        printf "N = %s: save after each / once: wall %.2f, processor %.2f\n", q[1],
          w[k] / w[q[1] " once"], p[k] / p[q[1] " once"]
      if ((q[1] " disk") in seen)
        printf "N = %s: save after each / the disk alone: wall %.2f\n", q[1],
          w[k] / w[q[1] " disk"] }
    if (("1000 each") in seen && ("2000 each") in seen)
      printf "N = 2000 / N = 1000, save after each: wall %.2f, processor %.2f\n",
        w["2000 each"] / w["1000 each"], p["2000 each"] / p["1000 each"]
    if (("1000 once") in seen && ("2000 once") in seen)
      printf "N = 2000 / N = 1000, save once: wall %.2f, processor %.2f\n",
        w["2000 once"] / w["1000 once"], p["2000 once"] / p["1000 once"]
    if (("1000 disk") in seen && ("2000 disk") in seen)
      printf "N = 2000 / N = 1000, the disk alone: wall %.2f\n", w["2000 disk"] / w["1000 disk"]
  }'
