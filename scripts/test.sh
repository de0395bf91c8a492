#!/usr/bin/env bash
# Runs the tests of the conversion job and its worker threads in a ThreadSanitizer build of
# their own ($1/tsan: no window, no benchmarks, only the test binary), since the job's workers
# share the state with the GUI thread without locks; then the Windows build's tests under
# wine; then every test of the build in $1 through CTest, whose summary closes the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)

tsan="$build/tsan"
cmake -S "$root" -B "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELTRIX_TSAN=ON \
  -DPELTRIX_GUI=OFF -DPELTRIX_BENCH=OFF >/dev/null
cmake --build "$tsan" -j "$(nproc)" --target peltrix_tests >/dev/null
echo "ThreadSanitizer build: job and command tests"
TSAN_OPTIONS="halt_on_error=1" "$tsan/tests/peltrix_tests" --gtest_filter='Job*:CommandsTest*:WindowCommands*:DetachedThread*' \
  --gtest_brief=1

# The Windows build (mingw-w64, into build-win) and its tests under wine, in one session (a
# private Xvfb display and one wine server, ended afterwards whatever happens): the core's
# unit tests, peltrix-convert.exe against this build's peltrix-convert, the download, then the
# window driven through its controls and dialogs (one test at a time: they share the display).
# A failed test is run once more: wine now and then fails to start a program at all (seen
# once in CI: a test ended after 0.01 s without a line of output); one failing twice fails.
win="$root/build-win"
mkdir -p "$win"
echo "Windows build: cross-compiling (log in $win/build.log), then its tests under wine"
windows_status=0
if bash "$root/scripts/windows.sh" --tests "$build" "$win" >"$win/build.log" 2>&1; then
  bash "$root/scripts/wine_session.sh" "$win" bash -c \
    'ctest --test-dir "$1" -LE win32 --output-on-failure --repeat until-pass:2 -j "$(nproc)" &&
     ctest --test-dir "$1" -L win32 --output-on-failure --repeat until-pass:2' _ "$win" ||
    windows_status=$?
else
  tail -30 "$win/build.log"
  windows_status=1
fi

# The core in WebAssembly ($WEB_BUILD, default build-web in the repository): its unit
# tests under node through the web build's own CTest, its converter against the native
# one, and the page (both modules) in headless Chromium.
web=${WEB_BUILD:-$root/build-web}
echo "WebAssembly build: core tests under node"
web_status=0
JOBS=$(nproc) bash "$root/scripts/build_web.sh" "$web" peltrix_tests peltrix-convert >/dev/null &&
  JOBS=$(nproc) bash "$root/scripts/build_web_page.sh" "$web" >/dev/null &&
  bash "$root/scripts/install_page_test_modules.sh" "$web/page-test" &&
  (cd "$web" && PELTRIX_NATIVE_CONVERT="$build/peltrix-convert" \
    ctest --output-on-failure -j "$(nproc)") || web_status=1

# Last, the Linux build's own tests, whose summary closes the run; a failure of the other
# platforms above is reported after it.
linux_status=0
(cd "$build" && ctest --output-on-failure -j "$(nproc)") || linux_status=$?
if [ "$windows_status" -ne 0 ]; then echo "Windows tests failed (see above)" >&2; fi
if [ "$web_status" -ne 0 ]; then echo "WebAssembly tests failed (see above)" >&2; fi
if [ "$linux_status" -ne 0 ] || [ "$windows_status" -ne 0 ] || [ "$web_status" -ne 0 ]; then
  exit 1
fi
