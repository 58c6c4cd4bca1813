#!/bin/sh
# check-installer.sh SETUP.exe PREFIX: installs silently under wine64 into the throwaway wine
# prefix PREFIX, for everyone and then for the current user alone; each time the installed
# plenwick-join.exe must report its version, the start-menu entry and the uninstall record must be
# there, and a silent uninstall must take all of it away again. Exit 77 (skipped) without wine64.
set -eu
[ $# -eq 2 ] || { echo "usage: $0 SETUP.exe PREFIX" >&2; exit 64; }
setup=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
here=$(cd "$(dirname "$0")" && pwd)
[ -f "$setup" ] || { echo "no $setup" >&2; exit 1; }
[ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null || { echo "SKIPPED: no wine64"; exit 77; }

# A fresh prefix each time; a wine server left from an earlier run of this check goes first.
if [ -d "$2" ]; then
  WINEPREFIX=$(cd "$2" && pwd) /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$2"
fi
mkdir -p "$2"
prefix=$(cd "$2" && pwd)
wine() { sh "$here/../cmake/run-under-wine64.sh" "$prefix" "$@"; }
# Waits until every program of the prefix has ended (an uninstaller hands over to a copy of
# itself and returns at once).
settle() { WINEPREFIX=$prefix /usr/lib/wine/wineserver -w 2>/dev/null || true; }
failed=0
fail() { echo "FAILED: $*"; failed=1; }
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Plenwick'

for mode in AllUsers CurrentUser; do
  wine "$setup" /S "/$mode"
  settle
  installed=$(find "$prefix/drive_c" -name plenwick-join.exe -path '*Plenwick*' | head -n1)
  if [ -z "$installed" ]; then
    fail "$mode: plenwick-join.exe was not installed"
    continue
  fi
  folder=$(dirname "$installed")
  echo "$mode: installed in ${folder#"$prefix"/}"
  version=$(wine "$installed" --version | tr -d '\r')
  case $version in
    "plenwick-join "[0-9]*) echo "$mode: $version" ;;
    *) fail "$mode: the installed plenwick-join.exe answered '$version'" ;;
  esac
  find "$prefix/drive_c" -path '*Plenwick*' -name '*.lnk' | grep -q . ||
    fail "$mode: no start-menu entry"
  key=$uninstall_key
  [ $mode = CurrentUser ] && key=$(echo "$uninstall_key" | sed 's/^HKLM/HKCU/')
  wine reg query "$key" /v UninstallString >/dev/null 2>&1 || fail "$mode: no uninstall record"

  wine "$folder/Uninstall.exe" /S
  settle
  [ ! -e "$installed" ] || fail "$mode: plenwick-join.exe is still there after uninstalling"
  [ ! -e "$folder" ] || fail "$mode: $folder is still there after uninstalling"
  ! find "$prefix/drive_c" -path '*Plenwick*' -name '*.lnk' | grep -q . ||
    fail "$mode: a start-menu entry is left after uninstalling"
  ! wine reg query "$key" >/dev/null 2>&1 || fail "$mode: the uninstall record is left"
done
[ $failed -eq 0 ] && echo "the installer installs, runs and uninstalls silently"
exit $failed
