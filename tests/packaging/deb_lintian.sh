#!/usr/bin/env bash
# lintian on the package built in $1, pedantic notes included: it fails on any error or
# warning; the notes are shown for whoever reads the test's output.
set -uo pipefail
command -v lintian >/dev/null || { echo "SKIPPED: lintian is missing (Debian package lintian)"; exit 77; }
debs=("$1"/peltrix_*.deb)
report=$(lintian -I --pedantic --fail-on error,warning "${debs[0]}" 2>&1)
status=$?
# lintian notes that it runs as root, as CI does; that is not about the package.
printf '%s\n' "$report" | grep -v 'running with root privileges' | grep . || true
if [ $status -ne 0 ]; then
  echo "lintian found errors or warnings in ${debs[0]} (exit $status)"
  exit 1
fi
echo "lintian: no errors or warnings in ${debs[0]}"
