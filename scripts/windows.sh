#!/usr/bin/env bash
# The Windows build: cross-compiles the programs with mingw-w64 into BUILD_WIN (default
# build-win), with static libjpeg and libpng built from Debian's sources (once, in
# BUILD_WIN/deps), and packs BUILD_WIN/peltrix-windows.zip.
#   scripts/windows.sh [--tests LINUX_BUILD] [BUILD_WIN]
# --tests also builds the tests, which run under wine (scripts/wine_run.sh, in a wine prefix
# of the build's own) and compare peltrix-convert.exe with LINUX_BUILD's peltrix-convert.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tests=OFF
linux_convert=
if [ "${1:-}" = "--tests" ]; then
  tests=ON
  linux_convert="$(cd "$2" && pwd)/peltrix-convert"
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
  -DPELTRIX_LINUX_CONVERT="$linux_convert" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine_run.sh;$build/wine" >/dev/null
cmake --build "$build" -j "$jobs"

# The zip a Windows user unpacks: every program built here and a README with CR LF line ends.
stage="$build/package/peltrix"
rm -rf "$build/package" "$build/peltrix-windows.zip"
mkdir -p "$stage"
cp "$build"/*.exe "$stage/"
sed 's/$/\r/' "$root/packaging/windows/README.txt" >"$stage/README.txt"
(cd "$build/package" && cmake -E tar cf "$build/peltrix-windows.zip" --format=zip peltrix)
echo "Windows build: $(cd "$stage" && ls *.exe | tr '\n' ' ')in $build/peltrix-windows.zip"
