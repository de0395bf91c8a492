#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) in build-fuzz and runs each for the
# given number of seconds, one after another: scripts/fuzz.sh [seconds-per-target] [targets...]
# The corpus grows in build-fuzz/corpus/<target>; findings land in build-fuzz/findings/<target>.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(jpeg png bmp picture)
build=build-fuzz

# The fuzz folder configures on its own: only the decoders and their libraries are needed.
# (The same targets also build inside the whole project with -DPELTRIX_FUZZ=ON and clang++.)
cmake -S fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j 2 --target "${targets[@]/#/fuzz_}"

if [ ! -d "$build/corpus/picture" ]; then
  bash fuzz/make_seeds.sh "$build/corpus"
fi

found=0
for target in "${targets[@]}"; do
  mkdir -p "$build/corpus/$target" "$build/findings/$target"
  echo "== fuzz_$target for ${seconds}s"
  # 10 s per input catches decoders that loop; 1 GiB per allocation catches absurd sizes.
  if ! "$build/fuzz_$target" "$build/corpus/$target" -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1024 -use_value_profile=1 \
    -dict="fuzz/$target.dict" -artifact_prefix="$build/findings/$target/" -print_final_stats=1 \
    2>"$build/findings/$target.log"; then
    found=1
    echo "fuzz_$target found a problem: see $build/findings/$target.log and $build/findings/$target/"
  fi
  grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb)|^Done|^#[0-9]+ *DONE" \
    "$build/findings/$target.log" || true
done
exit $found
