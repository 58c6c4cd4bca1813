#!/bin/sh
# run-under-wine64.sh PREFIX PROGRAM.exe [ARGS...]: runs a 64-bit Windows program under wine64 in
# the wine prefix PREFIX (a throwaway folder, created on first use), never in ~/.wine.
set -e
[ $# -ge 2 ] || { echo "usage: $0 PREFIX PROGRAM [ARGS...]" >&2; exit 64; }
mkdir -p "$1"
WINEPREFIX=$(cd "$1" && pwd)
shift
export WINEPREFIX
export WINEDEBUG=-all
# No prompts to install .NET or the HTML engine: nothing of ours needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)

# Tests start in parallel: one of them creates the prefix, the others wait for it.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  flock "$WINEPREFIX/.creating" sh -c \
    '[ -f "$WINEPREFIX/system.reg" ] || "$1" wineboot --init >/dev/null 2>&1; "${1%/*}/wineserver" -w 2>/dev/null || true' \
    sh "$wine"
fi
exec "$wine" "$@"
