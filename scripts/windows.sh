#!/usr/bin/env bash
# The Windows build: cross-compiles the programs with mingw-w64 into BUILD_WIN (default
# build-win), with static libjpeg and libpng built from Debian's sources (once, in
# BUILD_WIN/deps), and packs BUILD_WIN/peltrix-windows.zip.
#   scripts/windows.sh [BUILD_WIN [CMAKE_OPTIONS...]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}
mkdir -p "$build"
build=$(cd "$build" && pwd)
jobs=${JOBS:-$(nproc)}

prefix=$(bash "$root/scripts/windows_deps.sh" "$build/deps")
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DPELTRIX_WINDOWS_DEPS="$prefix" -DCMAKE_BUILD_TYPE=Release \
  -DPELTRIX_GUI=OFF -DPELTRIX_BENCH=OFF -DPELTRIX_TESTS=OFF "${@:2}" >/dev/null
cmake --build "$build" -j "$jobs"
