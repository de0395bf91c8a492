#!/usr/bin/env bash
# Builds Debian's own sources of libjpeg-turbo and libpng (the versions the Linux build links)
# as static mingw-w64 libraries, so that the Windows programs decode every picture to the same
# pixels as the Linux ones. Everything lives in DEPS (sources, build folders, the installed
# prefix); a library already installed there is not built again.
#   scripts/windows_deps.sh DEPS     prints nothing on success but the prefix
# zlib comes from Debian's libz-mingw-w64-dev (its static libz.a, see the toolchain file).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps=${1:?usage: windows_deps.sh DEPS}
mkdir -p "$deps"
deps=$(cd "$deps" && pwd)
prefix="$deps/prefix"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
jobs=${JOBS:-$(nproc)}

# $1: name, $2: the library it installs (the cache stamp), $3: source folder, rest: options.
build_library() {
  local name=$1 product=$2 source=$3
  shift 3
  local stamp="$deps/.$name.built"
  if [ -f "$prefix/lib/$product" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$source" ]; then
    return
  fi
  echo "windows_deps: building $name from $(basename "$source")" >&2
  local log="$deps/$name.log"
  rm -rf "$deps/build-$name"
  if ! { cmake -S "$source" -B "$deps/build-$name" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
           -DPELTRIX_WINDOWS_DEPS="$prefix" -DCMAKE_BUILD_TYPE=Release \
           -DCMAKE_INSTALL_PREFIX="$prefix" "$@" &&
         cmake --build "$deps/build-$name" -j "$jobs" &&
         cmake --install "$deps/build-$name"; } >"$log" 2>&1; then
    echo "windows_deps: building $name failed; see $log" >&2
    tail -20 "$log" >&2
    exit 1
  fi
  echo "$source" >"$stamp"
}

mapfile -t sources < <(bash "$root/scripts/fetch_debian_sources.sh" "$deps/sources" \
  libjpeg-turbo libpng1.6)

# libjpeg-turbo's SIMD code is assembled with nasm, as in Debian's build.
build_library libjpeg-turbo libjpeg.a "${sources[0]}" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON
build_library libpng libpng16.a "${sources[1]}" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON
echo "$prefix"
