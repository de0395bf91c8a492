#!/usr/bin/env bash
# The Windows build: cross-compiles peltrix.exe and peltrix-convert.exe with mingw-w64 into
# BUILD_WIN (default build-win), with static libjpeg and libpng built from Debian's sources
# (once, in BUILD_WIN/deps); the build packs BUILD_WIN/peltrix-windows.zip.
#   scripts/windows.sh [--tests LINUX_BUILD] [BUILD_WIN [CMAKE_OPTIONS...]]
# --tests also builds the tests, which run under wine (scripts/wine_session.sh; CTest's
# emulator is scripts/wine_run.sh, in the build's own wine prefix) and compare
# peltrix-convert.exe with LINUX_BUILD's peltrix-convert.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tests=OFF
test_options=()
if [ "${1:-}" = "--tests" ]; then
  tests=ON
  test_options=(-DPELTRIX_LINUX_CONVERT="$(cd "$2" && pwd)/peltrix-convert")
  shift 2
fi
build=${1:-$root/build-win}
mkdir -p "$build"
build=$(cd "$build" && pwd)
jobs=${JOBS:-$(nproc)}

prefix=$(bash "$root/scripts/windows_deps.sh" "$build/deps")
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DPELTRIX_WINDOWS_DEPS="$prefix" -DCMAKE_BUILD_TYPE=Release \
  -DPELTRIX_GUI=OFF -DPELTRIX_BENCH=OFF -DPELTRIX_TESTS="$tests" \
  -DPELTRIX_WIN32_WINDOW_TESTS="$tests" "${test_options[@]}" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine_run.sh;$build/wine" "${@:2}" >/dev/null
cmake --build "$build" -j "$jobs"
echo "Windows build: peltrix.exe, peltrix-convert.exe and $build/peltrix-windows.zip"
