#!/usr/bin/env bash
# Builds the Debian package of the build in $1 into the folder $2 (emptied first), as
# `make deb` does into the build folder, for the package tests that follow.
set -euo pipefail
build=$1 out=$2
rm -rf "$out"
mkdir -p "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out"
debs=("$out"/peltrix_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "no single peltrix_*.deb in $out" >&2; exit 1; }
echo "built ${debs[0]}"
