#!/usr/bin/env bash
# Runs a command with wine ready to run the Windows programs' window: a private Xvfb display
# (Xvfb picks a free number itself), the Windows build's wine prefix BUILD_WIN/wine (made
# once, about 8 s; scripts/wine_run.sh uses the same), and one persistent wineserver for the whole run, so each program starts
# in well under a second. Xvfb and the wineserver end with the command.
#   scripts/wine_session.sh BUILD_WIN COMMAND [ARGS...]     exits with COMMAND's status
set -euo pipefail
build=$(cd "${1:?usage: wine_session.sh BUILD_WIN COMMAND...}" && pwd)
shift

export WINEPREFIX="$build/wine"
export WINEDEBUG=-all
# No Mono or Gecko installers, no desktop menu entries; English common dialogs.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export LANG=C.UTF-8 LC_ALL=C.UTF-8

session=$(mktemp -d)
xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true  # the server of our own prefix only
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$session"
}
trap cleanup EXIT

# -displayfd: Xvfb writes the display number it chose once it is ready.
Xvfb -displayfd 3 -screen 0 2560x1800x24 -nolisten tcp -noreset 3>"$session/display" \
  >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 200); do
  if grep -q . "$session/display" 2>/dev/null; then break; fi
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then echo "wine_session: Xvfb did not start" >&2; exit 1; fi
  sleep 0.1
done
export DISPLAY=":$(head -1 "$session/display")"

if [ ! -f "$WINEPREFIX.ready" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX.ready"
fi
wineserver -p
# Xvfb has no window manager: wine then draws the frames itself and never waits for one.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
# Wine's own visual style, so version 6 of the common controls draws themed controls.
theme='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
wine reg add "$theme" /v ThemeActive /d 1 /f >/dev/null 2>&1
wine reg add "$theme" /v DllName /d 'C:\windows\resources\themes\light\light.msstyles' /f \
  >/dev/null 2>&1
wine reg add "$theme" /v ColorName /d Blue /f >/dev/null 2>&1
wine reg add "$theme" /v SizeName /d Normal /f >/dev/null 2>&1

"$@"
