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

# The core in WebAssembly ($WEB_BUILD, default build-web in the repository): its unit
# tests under node through the web build's own CTest, and its converter against the native
# one. A failure here is reported after the native tests have run too.
web=${WEB_BUILD:-$root/build-web}
echo "WebAssembly build: core tests under node"
web_status=0
JOBS=$(nproc) bash "$root/scripts/build_web.sh" "$web" peltrix_tests peltrix-convert >/dev/null &&
  (cd "$web" && PELTRIX_NATIVE_CONVERT="$build/peltrix-convert" \
    ctest --output-on-failure -j "$(nproc)") || web_status=1

(cd "$build" && ctest --output-on-failure -j "$(nproc)")
exit $web_status
