#!/usr/bin/env bash
# Runs every test of the build in $1 through CTest, then the conversion job's tests once
# more in a ThreadSanitizer build of their own ($1/tsan: no window, no benchmarks, only the
# test binary), since the job's workers share the state with the GUI thread without locks.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
(cd "$build" && ctest --output-on-failure -j "$(nproc)")

tsan="$build/tsan"
cmake -S "$root" -B "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELTRIX_TSAN=ON \
  -DPELTRIX_GUI=OFF -DPELTRIX_BENCH=OFF >/dev/null
cmake --build "$tsan" -j "$(nproc)" --target peltrix_tests
TSAN_OPTIONS="halt_on_error=1" "$tsan/tests/peltrix_tests" --gtest_filter='Job*:CommandsTest*' --gtest_brief=1
