#!/usr/bin/env bash
# Runs every test of the build in $1 through CTest.
set -euo pipefail
build=${1:-build}
cd "$build"
ctest --output-on-failure -j "$(nproc)"
