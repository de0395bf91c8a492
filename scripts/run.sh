#!/usr/bin/env bash
# Starts peltrix, the converter's window, from the build in $1. Without a display it does
# the converter's main job instead: it converts the sample picture the project ships into
# peltrix-sample.prg and peltrix-sample.png in the current folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}

if [ -z "${DISPLAY:-}" ]; then
  convert=$build/peltrix-convert
  if [ ! -x "$convert" ]; then
    echo "peltrix: $convert was not built; run 'make build' first" >&2
    exit 1
  fi
  # These two files are this command's own, remade on every run: replacing them is asked for.
  echo "peltrix: no display (DISPLAY is not set), so no window; converting the sample picture instead."
  "$convert" --force "$root/assets/sample.png" peltrix-sample.prg peltrix-sample.png
  cat <<MSG
Wrote, in $(pwd):
  peltrix-sample.prg   the C64 program; run it in VICE:  x64sc -autostart peltrix-sample.prg
  peltrix-sample.png   what the eye sees on the C64; open it in any picture viewer
The sample is $root/assets/sample.png. Convert your own pictures with
  $build/peltrix-convert --help
and start 'make run' from a desktop session (or over ssh -X) for the window.
MSG
  exit 0
fi

if [ ! -x "$build/peltrix" ]; then
  echo "peltrix: the window was not built (is PELTRIX_GUI off?); see $build/peltrix-convert --help" >&2
  exit 1
fi
exec "$build/peltrix"
