#!/usr/bin/env bash
# The WebAssembly build in BUILD (default build-web): the libraries from Debian's sources
# (scripts/build_web_deps.sh, built once into BUILD/deps), then the project configured with
# emscripten's CMake wrapper and the given targets built (all when none is given).
#   [PELTRIX_WEB_THREADS=OFF] scripts/build_web.sh [BUILD [TARGET ...]]
# PELTRIX_WEB_THREADS=OFF builds without pthreads (for pages that are not cross-origin
# isolated, where SharedArrayBuffer is missing); use a BUILD of its own for it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-web}
shift || true
mkdir -p "$build"
build=$(cd "$build" && pwd)
jobs=${JOBS:-2}
export JOBS=$jobs
# emscripten's tools run on node: a node from outside Debian needs Debian's modules (acorn).
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

threads=${PELTRIX_WEB_THREADS:-ON}
case "$threads" in
  ON) variant=threads ;;
  OFF) variant=single ;;
  *) echo "build_web: PELTRIX_WEB_THREADS must be ON or OFF, not '$threads'" >&2; exit 2 ;;
esac
# PELTRIX_WEB_DEPS: the libraries' folder, when another build's is to be shared.
prefix=$("$root/scripts/build_web_deps.sh" "${PELTRIX_WEB_DEPS:-$build/deps}" "$variant")
# Node 20 runs emscripten's output only without its own fetch(); CMake runs the tests so.
emcmake cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_FIND_ROOT_PATH="$prefix" -DPELTRIX_WEB_THREADS="$threads" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node);--no-experimental-fetch" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" -j "$jobs" "${targets[@]}"
