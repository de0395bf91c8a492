#!/usr/bin/env bash
# Builds what the WebAssembly core links, from Debian's own sources and with Debian's
# emscripten: zlib, libpng, libjpeg-turbo (the versions the Linux build links, so that the
# browser decodes every picture to the same pixels) and GoogleTest for the tests run under
# node. Everything lands in DEST (fetched sources in DEST/src, one install prefix per
# variant); a library already installed there is not built again.
#   scripts/build_web_deps.sh DEST threads|single
# Prints the install prefix. No emscripten ports: they download, and the frozen cache
# stops them anyway.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dest=$1
variant=${2:-threads}
case "$variant" in
  threads) flags="-O2 -pthread" ;;  # every object of a pthread program needs atomics
  single) flags="-O2" ;;
  *) echo "build_web_deps: variant must be 'threads' or 'single', not '$variant'" >&2; exit 2 ;;
esac
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
prefix="$dest/prefix-$variant"
work="$dest/work-$variant"
log="$dest/build-$variant.log"
mkdir -p "$prefix" "$work"

# emscripten's own tools run on node: a node from outside Debian needs Debian's modules
# (acorn), and Node 20 would try fetch() on the .wasm of configure checks.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
emulator="$(command -v node);--no-experimental-fetch"
jobs=${JOBS:-2}

step() {  # $1: what, then the command; its output goes to the log, shown on failure
  local what=$1
  shift
  if ! "$@" >>"$log" 2>&1; then
    echo "build_web_deps: $what failed; the last lines of $log:" >&2
    tail -n 30 "$log" >&2
    exit 1
  fi
}

need_sources() {
  [ -n "${sources_fetched:-}" ] && return
  mapfile -t folders < <("$root/scripts/fetch_debian_sources.sh" "$dest/src" zlib libpng1.6 libjpeg-turbo)
  zlib_src=${folders[0]} png_src=${folders[1]} jpeg_src=${folders[2]}
  sources_fetched=1
}

cmake_lib() {  # $1: source folder, $2: build folder, then extra CMake arguments
  local src=$1 build=$2
  shift 2
  step "configuring $(basename "$src")" emcmake cmake -S "$src" -B "$build" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" "$@"
  step "building $(basename "$src")" cmake --build "$build" -j "$jobs"
  step "installing $(basename "$src")" cmake --install "$build"
}

# zlib with its own configure: Debian's source lacks the win32/ folder its CMake needs.
if [ ! -f "$prefix/lib/libz.a" ]; then
  need_sources
  rm -rf "$work/zlib" && cp -r "$zlib_src" "$work/zlib"
  (cd "$work/zlib" && CFLAGS="$flags" step "configuring zlib" \
    emconfigure ./configure --static --prefix="$prefix")
  (cd "$work/zlib" && step "building zlib" emmake make -j "$jobs" libz.a &&
    step "installing zlib" emmake make install)
fi

if [ ! -f "$prefix/lib/libpng16.a" ]; then
  need_sources
  cmake_lib "$png_src" "$work/libpng" -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DPNG_HARDWARE_OPTIMIZATIONS=OFF \
    -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include"
fi

if [ ! -f "$prefix/lib/libjpeg.a" ]; then
  need_sources
  cmake_lib "$jpeg_src" "$work/libjpeg-turbo" -DWITH_SIMD=OFF -DENABLE_SHARED=OFF \
    -DWITH_TURBOJPEG=OFF -DCMAKE_INSTALL_LIBDIR="$prefix/lib" \
    -DENABLE_STATIC=ON
fi

# GoogleTest from Debian's googletest package (its sources live in /usr/src).
if [ ! -f "$prefix/lib/libgtest.a" ]; then
  cmake_lib /usr/src/googletest "$work/googletest" -DCMAKE_CXX_FLAGS="$flags -fexceptions" \
    -Dgtest_disable_pthreads="$([ "$variant" = single ] && echo ON || echo OFF)"
fi

echo "$prefix"
