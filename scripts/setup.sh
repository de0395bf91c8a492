#!/usr/bin/env bash
# Installs the Debian packages peltrix needs to build, run and test.
# Idempotent and silent when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git python3
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libgtk2.0-dev
  clang clang-format libclang-rt-14-dev
  64tass vice xvfb imagemagick xauth x11-utils xdotool
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then SUDO=(); else SUDO=(sudo); fi

# VICE lives in Debian's contrib component, which a stock Debian 12 does not list.
if [[ " ${missing[*]} " == *" vice "* ]] && ! grep -rqs 'contrib' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Components: main$/Components: contrib/' /etc/apt/sources.list.d/debian.sources |
      "${SUDO[@]}" tee /etc/apt/sources.list.d/peltrix-contrib.sources >/dev/null
  else
    echo 'deb http://deb.debian.org/debian bookworm contrib' |
      "${SUDO[@]}" tee /etc/apt/sources.list.d/peltrix-contrib.list >/dev/null
  fi
fi

echo "peltrix setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
