#!/bin/sh
# Joins one generated set (200 documents unless told) with "Join Documents" in the window,
# offscreen, and with plenwick-join, and prints both times: the window's counters and yields
# should cost next to nothing.
#
#   bench/window/run-window-bench.sh [BUILD_DIR] [N]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build/ci}
n=${2:-200}
shared=${PLENWICK_SHARED_DIR:-$(cd "$here/../../.." && pwd)/shared}
bench=$build/bench/window/plenwick-window-join-bench
join=$build/cli/plenwick-join
for b in "$bench" "$join"; do
  if [ ! -x "$b" ]; then echo "no $b (build it)" >&2; exit 2; fi
done
work=$(mktemp -d "${TMPDIR:-/tmp}/plenwick-window-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
/usr/bin/python3 "$shared/tools/gen_corpus.py" --count "$n" --out "$work/in" > /dev/null
mkdir "$work/window" "$work/cli"
echo "N = $n"
QT_QPA_PLATFORM=offscreen "$bench" "$work/in" "$work/window" 2> /dev/null | tail -n 2
/usr/bin/time -f "plenwick-join in %e s (processor %U s + %S s), peak memory %M KB" "$join" --quiet "$work/in" "$work/cli" \
  > /dev/null
