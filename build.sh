#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine: installs what is missing, builds, then
#   ./build.sh run            starts the window program
#   ./build.sh test           runs every test
#   ./build.sh windows        cross-builds the Windows programs (64 and 32 bits) and the installer
#   ./build.sh windows-test   the same, then runs the Windows tests under wine64
# Extra arguments after the command go to the program (run) or to ctest (test, windows-test).
set -euo pipefail
cd "$(dirname "$0")"

# Debian packages the build, the tests and the program need.
PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev fonts-wine xdg-utils
  libgtest-dev libgmock-dev libpugixml-dev libzip-dev zlib1g-dev libqpdf-dev
  python3-lxml python3-docx python3-pil python3-numpy poppler-utils
  fonts-dejavu-core fonts-liberation2 fonts-crosextra-carlito fonts-crosextra-caladea fonts-droid-fallback
  libreoffice-writer-nogui libreoffice-dev
  xvfb dbus at-spi2-core python3-gi gir1.2-atspi-2.0
  binutils-mingw-w64 icoutils desktop-file-utils appstream dpkg-dev file
)

# What the Windows build needs instead: MinGW-w64 cross compilers, wine64 to run the tests and the
# programs, NSIS for the installer, the sources of GoogleTest, and for the window's tests a
# virtual display, a way to drive it and to capture and read back what it shows.
WINDOWS_PACKAGES=(
  cmake ninja-build dpkg-dev file
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64
  libz-mingw-w64-dev wine64 nsis googletest
  xvfb xdotool imagemagick icoutils
  python3-lxml python3-docx
)

# install_missing PACKAGE...
install_missing() {
  local missing=()
  for p in "$@"; do
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

case "$cmd" in
  windows | windows-test)
    install_missing "${WINDOWS_PACKAGES[@]}"
    # The libraries Debian has no MinGW-w64 package of, built once into build/windows-deps.
    cmake/build-windows-deps.sh x86_64 i686
    for preset in windows windows-x86; do
      cmake --preset "$preset" >/dev/null
      cmake --build --preset "$preset"
    done
    echo "Windows installer: build/windows/Plenwick-Setup-*.exe; programs under build/windows" \
      "(64-bit) and build/windows-x86 (32-bit)"
    if [ "$cmd" = windows-test ]; then
      ctest --preset windows "$@"
    fi
    exit 0
    ;;
esac

install_missing "${PACKAGES[@]}"
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
    echo "usage: $0 run|test|windows|windows-test" >&2
    exit 64
    ;;
esac
