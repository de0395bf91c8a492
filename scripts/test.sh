#!/usr/bin/env bash
# Runs the conversion job's tests in a ThreadSanitizer build of their own ($1/tsan: no window,
# no benchmarks, only the test binary), since the job's workers share the state with the GUI
# thread without locks; then every test of the build in $1 through CTest, whose summary
# closes the run.
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

# The Windows programs, and the Win32 window driven under wine on a private Xvfb display.
windows_status=0
bash "$root/scripts/windows.sh" "$root/build-win" -DPELTRIX_WIN32_WINDOW_TESTS=ON >/dev/null &&
  echo "Windows build: the window under wine" &&
  bash "$root/scripts/wine_session.sh" "$root/build-win" \
    ctest --test-dir "$root/build-win" -L win32 --output-on-failure || windows_status=$?

(cd "$build" && ctest --output-on-failure -j "$(nproc)")
exit "$windows_status"
