#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine: installs what is missing, builds, then
#   ./build.sh run    starts the window program
#   ./build.sh test   runs every test
# Extra arguments after the command go to the program (run) or to ctest (test).
set -euo pipefail
cd "$(dirname "$0")"

# Debian packages the build, the tests and the program need.
PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev fonts-wine xdg-utils
  libgtest-dev libgmock-dev libpugixml-dev libzip-dev zlib1g-dev
  python3-lxml python3-docx python3-pil python3-numpy poppler-utils
  libreoffice-writer-nogui libreoffice-dev
  binutils-mingw-w64 icoutils desktop-file-utils appstream dpkg-dev file
)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

cmd="${1:-run}"
shift || true
install_missing
preset=default
[ "$cmd" = test ] && preset=ci
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"

case "$cmd" in
  run)
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
      echo "No display found: starting on Qt's offscreen platform (the window is not visible)." >&2
      export QT_QPA_PLATFORM=offscreen
    fi
    exec "build/$preset/app/plenwick" "$@"
    ;;
  test)
    export QT_QPA_PLATFORM=offscreen
    ctest --preset "$preset" "$@"
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 64
    ;;
esac
