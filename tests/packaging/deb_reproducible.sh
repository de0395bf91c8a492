#!/usr/bin/env bash
# The package is reproducible: packing the build in $1 again, a second later and with every
# installed file's time changed, gives the very bytes of the package in $2.
set -euo pipefail
build=$1 first=$2
again=$(mktemp -d)
trap 'rm -rf "$again"' EXIT
debs=("$first"/peltrix_*.deb)
sleep 1
find "$build" \( -name peltrix -o -name peltrix-convert -o -name '*.gz' \) -type f \
  -exec touch {} +
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$again" >/dev/null
if ! cmp "${debs[0]}" "$again"/peltrix_*.deb; then
  echo "a second packing differs from ${debs[0]}:" >&2
  for deb in "${debs[0]}" "$again"/peltrix_*.deb; do
    dpkg-deb --ctrl-tarfile "$deb" | tar tv --full-time >&2
    dpkg-deb --fsys-tarfile "$deb" | tar tv --full-time >&2
  done
  exit 1
fi
echo "packed twice, the same $(stat -c %s "${debs[0]}") bytes"
