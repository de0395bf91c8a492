#!/usr/bin/env bash
# Installs the Debian packages that one or more purposes need, and nothing else:
#   scripts/setup.sh [PURPOSE...]     (no purpose: build)
#   build    the Linux programs: the converter and the GTK 2 window (make, make run, make install)
#   check    the Linux build's unit and command-line tests (make check)
#   deb      the Debian package and its checks (make deb)
#   windows  the Windows programs, cross-compiled (make windows)
#   web      the core in WebAssembly and the page (make web)
#   test     everything make test runs: all of the above, wine, Chromium, VICE, Xvfb
#   fuzz     the decoders' fuzz targets (make fuzz)
# Idempotent and silent when everything is there. An apt source is added only for a purpose
# that needs it, derived from the machine's own Debian entry, and the terminal says so.
set -euo pipefail

declare -A needs=(
  [build]="build-essential cmake pkg-config git libjpeg62-turbo-dev libpng-dev zlib1g-dev
           libgtk2.0-dev libstb-dev 64tass help2man"
  [check]="libgtest-dev libgmock-dev googletest libbenchmark-dev python3 tmux clang-format"
  [deb]="dpkg-dev file fakeroot lintian man-db desktop-file-utils appstream"
  [windows]="g++-mingw-w64-x86-64 libz-mingw-w64-dev nasm dpkg-dev python3"
  [web]="emscripten nodejs npm dpkg-dev"
  [fuzz]="clang libclang-rt-14-dev"
  # Running the Windows build's tests (wine on a private X display), the page's (Chromium),
  # the C64 programs on VICE, and the window's screenshots; numpy for the quality report's
  # cross-check (scripts/quality_check.py).
  [test-only]="wine wine64 fonts-wine chromium vice xvfb xauth x11-utils xdotool imagemagick
               python3-numpy"
)
# Which apt sources each purpose needs beyond the machine's own Debian entry.
declare -A sources_for=([windows]="deb-src" [web]="deb-src" [test-only]="contrib deb-src")

purposes=("$@")
[ ${#purposes[@]} -gt 0 ] || purposes=(build)
expanded=()
for p in "${purposes[@]}"; do
  case $p in
    test) expanded+=(build check deb windows web test-only) ;;
    build | check | deb | windows | web | fuzz) expanded+=(build "$p") ;;
    *) echo "setup.sh: unknown purpose '$p' (build, check, deb, windows, web, test, fuzz)" >&2
       exit 2 ;;
  esac
done

if [ "$(id -u)" -eq 0 ]; then SUDO=(); else SUDO=(sudo); fi
apt_get() {
  # Wait for another apt run instead of failing on its lock.
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@"
}

# The machine's own Debian entry, as a deb822 file; sources.list lines are converted.
debian_entry() {
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    cat /etc/apt/sources.list.d/debian.sources
    return
  fi
  local line
  grep -hE '^deb[[:space:]]' /etc/apt/sources.list 2>/dev/null | grep -v -- '-security' |
    while read -r _ uri suite _; do
      printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\n\n' "$uri" "$suite"
    done
}

# A deb822 stanza list of the machine's Debian entry, with other types or components.
derive_entry() {  # $1: Types value, $2: Components value
  debian_entry | awk -v types="$1" -v comps="$2" '
    BEGIN { RS = ""; ORS = "\n\n" }
    /Suites:[^\n]*-security/ { next }   # the security pool serves no sources here
    {
      n = split($0, lines, "\n"); out = ""
      for (i = 1; i <= n; i++) {
        if (lines[i] ~ /^Types:/) lines[i] = "Types: " types
        else if (lines[i] ~ /^Components:/) lines[i] = "Components: " comps
        out = out lines[i] "\n"
      }
      printf "%s\n", out
    }'
}

sources_changed=0
add_source() {  # $1: contrib or deb-src
  case $1 in
    contrib)
      # VICE lives in Debian's contrib component, which a stock Debian 12 does not list.
      if ! grep -rqsE '^(Components:.*\bcontrib\b|deb .*\bcontrib\b)' /etc/apt/sources.list \
           /etc/apt/sources.list.d/; then
        echo "peltrix setup: adding Debian's contrib component (for the VICE emulator the tests" \
             "use) as /etc/apt/sources.list.d/peltrix-contrib.sources" >&2
        derive_entry deb contrib |
          "${SUDO[@]}" tee /etc/apt/sources.list.d/peltrix-contrib.sources >/dev/null
        sources_changed=1
      fi ;;
    deb-src)
      # The Windows and web builds compile Debian's own libjpeg-turbo and libpng sources.
      if [ ! -f /etc/apt/sources.list.d/peltrix-deb-src.sources ]; then
        echo "peltrix setup: adding Debian's source packages (the Windows and web builds" \
             "compile its libjpeg-turbo and libpng) as" \
             "/etc/apt/sources.list.d/peltrix-deb-src.sources" >&2
        derive_entry deb-src main |
          "${SUDO[@]}" tee /etc/apt/sources.list.d/peltrix-deb-src.sources >/dev/null
        sources_changed=1
      fi ;;
  esac
}

packages=()
for p in "${expanded[@]}"; do
  # shellcheck disable=SC2206  # a list of words, split on any blank including newlines
  packages+=(${needs[$p]})
  for s in ${sources_for[$p]:-}; do add_source "$s"; done
done

missing=()
for p in $(printf '%s\n' "${packages[@]}" | sort -u); do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    # nodejs and npm from another repository may serve under other packages' names.
    if [ "$p" = nodejs ] && command -v node >/dev/null; then continue; fi
    if [ "$p" = npm ] && command -v npm >/dev/null; then continue; fi
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ] && [ "$sources_changed" -eq 0 ]; then exit 0; fi

if [ ${#missing[@]} -gt 0 ]; then echo "peltrix setup: installing ${missing[*]}" >&2; fi
apt_get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
