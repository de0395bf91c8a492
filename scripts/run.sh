#!/usr/bin/env bash
# Starts peltrix, the converter's window, from the build in $1.
set -euo pipefail
build=${1:-build}
if [ ! -x "$build/peltrix" ]; then
  echo "peltrix: the window was not built (is PELTRIX_GUI off?); see $build/peltrix-convert --help" >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ]; then
  cat >&2 <<MSG
peltrix: no display to open the window on (DISPLAY is not set).
  Start 'make run' from a desktop session, or over ssh with X forwarding (ssh -X).
  Without a display, the command-line converter does the same conversions:
    $build/peltrix-convert --help
MSG
  exit 1
fi
exec "$build/peltrix"
