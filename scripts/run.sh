#!/usr/bin/env bash
# Starts peltrix from the build in $1.
set -euo pipefail
build=${1:-build}
if [ -x "$build/peltrix" ]; then
  exec "$build/peltrix"
fi
echo "peltrix: the window is not built yet; converting a sample with peltrix-convert instead." >&2
exec "$build/peltrix-convert" --help
