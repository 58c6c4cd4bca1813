#!/bin/sh
# validate_desktop_files.sh <build dir> <scratch prefix>
# Installs the desktop component and checks the installed files the way distributions do.
set -eu
build=$1
prefix=$2
id=com.tarvik.Plenwick

for tool in desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (Debian packages desktop-file-utils, appstream)"
    exit 77
  fi
done

rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" --component desktop >/dev/null

status=0
check() { # file must exist
  if [ ! -f "$1" ]; then echo "missing: $1"; status=1; fi
}
desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
check "$desktop"
check "$metainfo"
for size in 16 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  check "$icon"
  # The file must really be a PNG of the size its folder names.
  if [ -f "$icon" ] && command -v file >/dev/null 2>&1; then
    file "$icon" | grep -q "PNG image data, $size x $size" || { echo "wrong picture: $icon"; status=1; }
  fi
done
[ $status -eq 0 ] || exit 1

desktop-file-validate "$desktop"
appstreamcli validate --no-net "$metainfo"
grep -q '<release version="2.03"' "$metainfo" || { echo "metainfo lacks the 2.03 release"; exit 1; }
grep -q '^Icon='"$id"'$' "$desktop" || { echo "desktop entry names another icon"; exit 1; }
echo "desktop files valid"
