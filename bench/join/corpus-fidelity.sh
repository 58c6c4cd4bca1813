#!/bin/sh
# Joins every well-formed .docx, .docm and .dotx of ../shared/corpus/public into one result
# with the engine and scores it: structure with docx-check, text and looks with fidelity.py.
# The files taken are those docx-check passes, less the problem files SOURCES.md names and
# the Strict OOXML sample.
#
#   bench/join/corpus-fidelity.sh [path/to/plenwick-engine-join]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$here/../../build/ci/bench/join/plenwick-engine-join}
shared=$(cd "$here/../../.." && pwd)/shared
corpus=$shared/corpus/public
check=$shared/tools/docx-check/docx-check
fidelity=$shared/tools/fidelity.py
if [ ! -x "$bin" ]; then echo "no driver at $bin (build plenwick-engine-join)" >&2; exit 2; fi
if [ ! -d "$corpus" ]; then echo "no corpus at $corpus" >&2; exit 2; fi
work=$(mktemp -d "${TMPDIR:-/tmp}/plenwick-corpus-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

grep -E '^\| `' "$corpus/SOURCES.md" |
  grep -E '\| (MALFORMED|ENCRYPTED|MISLABELLED|ODD|SECURITY)' |
  sed -E 's/^\| `([^`]*)`.*/\1/' > "$work/problems"
(cd "$corpus" && find . -type f \( -name '*.docx' -o -name '*.docm' -o -name '*.dotx' \)) |
  sed 's|^\./||' | sort | grep -vxF -f "$work/problems" | grep -v 'strict-format\.docx$' \
  > "$work/candidates"
: > "$work/list"
while read -r f; do
  if /usr/bin/python3 "$check" --errors-only "$corpus/$f" | grep -q ': ok,'; then
    echo "$corpus/$f" >> "$work/list"
  fi
done < "$work/candidates"
echo "$(wc -l < "$work/list") documents"
"$bin" "$work/out.docx" --inputs-from "$work/list"
/usr/bin/python3 "$check" --errors-only "$work/out.docx" | tail -n 1
/usr/bin/python3 "$fidelity" "$work/out.docx" --inputs-from "$work/list" | sed -n '3,6p'
