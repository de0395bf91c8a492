#!/usr/bin/env bash
# Runs the conversion job's tests in a ThreadSanitizer build of their own ($1/tsan: no window,
# no benchmarks, only the test binary), since the job's workers share the state with the GUI
# thread without locks; then the Windows build's tests under wine; then every test of the
# build in $1 through CTest, whose summary closes the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)

tsan="$build/tsan"
cmake -S "$root" -B "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELTRIX_TSAN=ON \
  -DPELTRIX_GUI=OFF -DPELTRIX_BENCH=OFF >/dev/null
cmake --build "$tsan" -j "$(nproc)" --target peltrix_tests >/dev/null
echo "ThreadSanitizer build: job and command tests"
TSAN_OPTIONS="halt_on_error=1" "$tsan/tests/peltrix_tests" --gtest_filter='Job*:CommandsTest*' \
  --gtest_brief=1

# The Windows build (mingw-w64, into build-win) and its tests under wine, in one session (a
# private Xvfb display and one wine server, ended afterwards whatever happens): the core's
# unit tests, peltrix-convert.exe against this build's peltrix-convert, the download, then the
# window driven through its controls and dialogs (one test at a time: they share the display).
win="$root/build-win"
mkdir -p "$win"
echo "Windows build: cross-compiling (log in $win/build.log), then its tests under wine"
if ! bash "$root/scripts/windows.sh" --tests "$build" "$win" >"$win/build.log" 2>&1; then
  tail -30 "$win/build.log"
  exit 1
fi
windows_status=0
bash "$root/scripts/wine_session.sh" "$win" bash -c \
  'ctest --test-dir "$1" -LE win32 --output-on-failure -j "$(nproc)" &&
   ctest --test-dir "$1" -L win32 --output-on-failure' _ "$win" || windows_status=$?

(cd "$build" && ctest --output-on-failure -j "$(nproc)")
if [ "$windows_status" -ne 0 ]; then
  echo "Windows tests failed (see above)" >&2
  exit "$windows_status"
fi
