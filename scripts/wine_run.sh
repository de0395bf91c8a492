#!/usr/bin/env bash
# Runs a Windows program under wine in the Windows build's own wine prefix: CTest's emulator
# for the cross-built tests (CMAKE_CROSSCOMPILING_EMULATOR), and the way the tests start
# peltrix-convert.exe.
#   scripts/wine_run.sh PREFIX PROGRAM.exe [ARG ...]
# The prefix is made on first use (about 10 s), under a lock, since CTest starts several
# programs at once. Start `wineserver -p` with the same WINEPREFIX to keep wine's server
# running between the many short runs of a test suite, and `wineserver -k` after.
set -euo pipefail
prefix=$(realpath -m "$1")
shift
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX=$prefix
export WINEDEBUG=-all
# No Mono or Gecko installers, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export LANG=C.UTF-8
if [ ! -f "$prefix.ready" ]; then
  (
    flock 9
    if [ ! -f "$prefix.ready" ]; then wineboot -i >/dev/null 2>&1 && touch "$prefix.ready"; fi
  ) 9>"$prefix.lock"
fi
exec wine "$@"
