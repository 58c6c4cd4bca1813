#!/bin/sh
# check-installed-deb.sh <plenwick_*.deb> <out-dir>
# Installs the package with dpkg (as root), starts the installed program on Qt's VNC platform,
# takes a picture of its window, checks the installed desktop files and removes the package
# again. The picture is <out-dir>/installed-window.png; look at it.
set -eu
deb=$(readlink -f "$1")
out=$(readlink -f "$2")
here=$(dirname "$(readlink -f "$0")")
port=5917
mkdir -p "$out"

if dpkg-query -W plenwick >/dev/null 2>&1; then
  echo "plenwick is already installed; not touching it" >&2
  exit 1
fi
dpkg -i "$deb" >/dev/null
trap 'kill "$pid" 2>/dev/null || true; dpkg -r plenwick >/dev/null' EXIT

echo "installed: $(dpkg-query -W -f='${Package} ${Version}' plenwick)"
dpkg -L plenwick | grep -E "^/usr/(bin|share/applications|share/metainfo)/" | sort
desktop-file-validate /usr/share/applications/com.tarvik.Plenwick.desktop
appstreamcli validate --no-net /usr/share/metainfo/com.tarvik.Plenwick.metainfo.xml

cd /tmp
# Offscreen first: the program must start and keep running until it is told to end.
status=0
QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/plenwick >/dev/null 2>&1 || status=$?
[ "$status" -eq 124 ] || { echo "offscreen, the program ended by itself (status $status)"; exit 1; }
echo "offscreen: the program starts and runs"

QT_QPA_PLATFORM="vnc:size=800x600:port=$port" /usr/bin/plenwick >"$out/installed-window.log" 2>&1 &
pid=$!
# The window's background colour shows once the window is on the screen.
/usr/bin/python3 "$here/vnc_grab.py" "127.0.0.1:$port" "$out/installed-window.png" \
  --wait-for 255,228,142 --timeout 20
kill -0 "$pid" || { echo "the program ended early:"; cat "$out/installed-window.log"; exit 1; }
echo "the installed program shows its window: $out/installed-window.png"
