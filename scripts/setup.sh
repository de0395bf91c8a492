#!/usr/bin/env bash
# Installs the Debian packages peltrix needs to build, run, package and test it on Linux,
# for Windows (mingw-w64, wine) and for the browser (emscripten, chromium).
# Idempotent and silent when everything is already there.
set -euo pipefail

packages=(
  # Linux build and tests
  build-essential cmake pkg-config git python3
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libgtk2.0-dev libstb-dev
  clang clang-format libclang-rt-14-dev
  64tass vice xvfb imagemagick xauth x11-utils xdotool
  # packaging: the .deb, its dependencies and its checks, man pages
  dpkg-dev file lintian man-db fakeroot help2man desktop-file-utils
  # Windows build: cross compilers, zlib, libjpeg-turbo's SIMD, wine to run the tests
  g++-mingw-w64-x86-64 libz-mingw-w64-dev nasm wine wine64 fonts-wine
  # web build: the core in WebAssembly, the page tested in headless Chromium
  emscripten chromium nodejs npm
)

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
# VICE lives in Debian's contrib component, which a stock Debian 12 does not list.
if ! grep -rqsE '^(Components:.*\bcontrib\b|deb .*\bcontrib\b)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  derive_entry deb contrib | "${SUDO[@]}" tee /etc/apt/sources.list.d/peltrix-contrib.sources >/dev/null
  sources_changed=1
fi
# The Windows and web builds compile Debian's own libjpeg-turbo and libpng sources.
if [ ! -f /etc/apt/sources.list.d/peltrix-deb-src.sources ]; then
  derive_entry deb-src main | "${SUDO[@]}" tee /etc/apt/sources.list.d/peltrix-deb-src.sources >/dev/null
  sources_changed=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
# nodejs from another repository may satisfy the need under another package's name.
if [[ " ${missing[*]} " == *" nodejs "* ]] && command -v node >/dev/null; then
  missing=("${missing[@]/nodejs/}")
fi
if [[ " ${missing[*]} " == *" npm "* ]] && command -v npm >/dev/null; then
  missing=("${missing[@]/npm/}")
fi
read -r -a missing <<<"${missing[*]}"

if [ ${#missing[@]} -eq 0 ] && [ "$sources_changed" -eq 0 ]; then exit 0; fi

if [ ${#missing[@]} -gt 0 ]; then echo "peltrix setup: installing ${missing[*]}" >&2; fi
apt_get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
