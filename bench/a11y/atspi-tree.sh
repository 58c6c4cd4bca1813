#!/bin/sh
# atspi-tree.sh PROGRAM [--check]: starts PROGRAM (the window) on a private X display with a
# private D-Bus session and AT-SPI bus, prints the window's AT-SPI tree (atspi-tree.py), and ends
# what it started. Exit status: atspi-tree.py's, or 77 when a piece is missing (Xvfb, D-Bus,
# at-spi2-core, python3-gi with gir1.2-atspi-2.0), so a test skips saying why.
set -u
here=$(cd "$(dirname "$0")" && pwd)
program=${1:?usage: atspi-tree.sh PROGRAM [--check]}
shift

missing=""
command -v xvfb-run >/dev/null 2>&1 || missing="$missing xvfb"
command -v dbus-run-session >/dev/null 2>&1 || missing="$missing dbus"
[ -x /usr/libexec/at-spi-bus-launcher ] || missing="$missing at-spi2-core"
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
  missing="$missing python3-gi/gir1.2-atspi-2.0"
if [ -n "$missing" ]; then
  echo "atspi-tree.sh: skipped, missing:$missing" >&2
  exit 77
fi

if [ "${ATSPI_TREE_INSIDE:-}" != 1 ]; then
  export ATSPI_TREE_INSIDE=1
  exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
    dbus-run-session -- "$0" "$program" "$@"
fi

# Inside the private display and session. Settings and caches go to a folder of this run.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache"
export XDG_RUNTIME_DIR="$scratch/runtime" && mkdir -m 700 "$XDG_RUNTIME_DIR"
/usr/libexec/at-spi-bus-launcher --launch-immediately &
launcher=$!
QT_QPA_PLATFORM=xcb QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" &
window=$!
/usr/bin/python3 "$here/atspi-tree.py" "$@"
status=$?
kill "$window" 2>/dev/null
wait "$window" 2>/dev/null
kill "$launcher" 2>/dev/null
wait "$launcher" 2>/dev/null
exit $status
