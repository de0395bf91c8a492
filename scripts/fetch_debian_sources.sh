#!/usr/bin/env bash
# Fetches and unpacks Debian's sources of the given packages into DEST (once: a package
# fetched there before is left alone), and prints each one's source folder, one a line.
# The Windows and web builds compile the very libjpeg-turbo and libpng versions the Linux
# build links, so that all three decode every picture to the same pixels.
#   scripts/fetch_debian_sources.sh DEST libjpeg-turbo libpng1.6 zlib
set -euo pipefail
dest=$1
shift
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
for package in "$@"; do
  stamp="$dest/.$package.folder"  # holds the name of the unpacked folder
  if [ ! -f "$stamp" ] || [ ! -d "$dest/$(cat "$stamp")" ]; then
    before=$(ls -1 "$dest")
    # apt drops privileges to _apt while downloading: the folder must be writable for it.
    chmod 0777 "$dest" 2>/dev/null || true
    if ! (cd "$dest" && apt-get source -qq "$package" >/dev/null 2>&1); then
      echo "fetch_debian_sources: 'apt-get source $package' failed: is the deb-src entry of scripts/setup.sh there, and 'apt-get update' done?" >&2
      exit 1
    fi
    folder=
    for f in $(comm -13 <(echo "$before") <(ls -1 "$dest")); do
      if [ -d "$dest/$f" ]; then folder=$f; fi
    done
    [ -n "$folder" ] || { echo "fetch_debian_sources: no folder unpacked for $package" >&2; exit 1; }
    echo "$folder" >"$stamp"
  fi
  echo "$dest/$(cat "$stamp")"
done
