#!/usr/bin/env bash
# build-windows-deps.sh ARCH...   (ARCH: x86_64, i686)
#
# Cross-builds, once per architecture, the libraries Debian ships no MinGW-w64 package of:
# pugixml and libzip from Debian's own source packages, GoogleTest from /usr/src/googletest
# (package googletest). zlib is libz-mingw-w64-dev's. Everything lands in
# build/windows-deps/<arch> (or $PLENWICK_WINDOWS_DEPS_ROOT/<arch>) and is reused when there.
#
# The sources are fetched with `apt-get source` through a private sources list holding one deb-src
# line for the archive this machine's apt already uses; the system's apt configuration, lists and
# caches are left alone.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=${PLENWICK_WINDOWS_DEPS_ROOT:-$here/../build/windows-deps}
mkdir -p "$root"
root=$(cd "$root" && pwd)
src=$root/src
jobs=${PLENWICK_JOBS:-2}

[ $# -gt 0 ] || set -- x86_64 i686

# The first Debian archive the machine's apt reads, and this release's code name.
debian_archive() {
  local uri=""
  if compgen -G '/etc/apt/sources.list.d/*.sources' >/dev/null; then
    uri=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/*.sources)
  fi
  if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
    uri=$(awk '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) { print $i; exit } }' \
      /etc/apt/sources.list)
  fi
  echo "${uri:-http://deb.debian.org/debian}"
}

fetch_sources() {
  if compgen -G "$src/pugixml-*/CMakeLists.txt" >/dev/null &&
     compgen -G "$src/libzip-*/CMakeLists.txt" >/dev/null; then
    return 0
  fi
  local codename
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  local signed=""
  [ -f "$keyring" ] && signed="[signed-by=$keyring] "
  mkdir -p "$src/apt/lists/partial" "$src/apt/cache/archives/partial"
  echo "deb-src ${signed}$(debian_archive) $codename main" >"$src/apt/sources.list"
  local apt=(apt-get -q
    -o "Dir::Etc::SourceList=$src/apt/sources.list"
    -o "Dir::Etc::SourceParts=/nonexistent"
    -o "Dir::State::Lists=$src/apt/lists"
    -o "Dir::Cache=$src/apt/cache"
    -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache="
    -o "APT::Sandbox::User=root")
  echo "Fetching the sources of pugixml and libzip ($(cat "$src/apt/sources.list"))"
  "${apt[@]}" update
  (cd "$src" && "${apt[@]}" source pugixml libzip)
}

# cmake_build NAME SOURCE_DIR ARCH PREFIX [CMAKE OPTIONS...]
cmake_build() {
  local name=$1 source=$2 arch=$3 prefix=$4
  shift 4
  local build=$root/build-$arch/$name
  echo "Building $name for $arch"
  cmake -S "$source" -B "$build" -G Ninja --log-level=WARNING -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" "$@" >/dev/null
  cmake --build "$build" -j "$jobs" >/dev/null
  cmake --install "$build" >/dev/null
}

build_arch() {
  local arch=$1
  case $arch in x86_64 | i686) ;; *) echo "unknown architecture: $arch" >&2; exit 64 ;; esac
  local prefix=$root/$arch
  if [ -f "$prefix/.complete" ]; then
    echo "Windows libraries for $arch: already built in $prefix"
    return 0
  fi
  local started=$SECONDS
  rm -rf "$prefix" "$root/build-$arch"
  export PLENWICK_WINDOWS_DEPS=$prefix
  local pugixml libzip
  pugixml=$(ls -d "$src"/pugixml-*/ | head -n1)
  libzip=$(ls -d "$src"/libzip-*/ | head -n1)
  cmake_build pugixml "$pugixml" "$arch" "$prefix" -DPUGIXML_BUILD_TESTS=OFF
  cmake_build libzip "$libzip" "$arch" "$prefix" \
    -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF \
    -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF \
    -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF \
    -DENABLE_WINDOWS_CRYPTO=OFF -DZLIB_USE_STATIC_LIBS=ON
  cmake_build googletest /usr/src/googletest "$arch" "$prefix" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
  touch "$prefix/.complete"
  echo "Windows libraries for $arch built in $((SECONDS - started)) s: $prefix"
}

[ -d /usr/src/googletest ] || { echo "missing /usr/src/googletest: apt-get install googletest" >&2; exit 1; }
fetch_sources
for arch in "$@"; do build_arch "$arch"; done
