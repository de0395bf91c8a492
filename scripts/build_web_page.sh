#!/usr/bin/env bash
# The web page in BUILD (default build-web): the page's module with pthreads built in BUILD,
# the one without them in BUILD/single (sharing the libraries in BUILD/deps), and both copied
# beside the page's own files, so that BUILD holds a complete static site:
# index.html, page.css, page.js, blend-view.js, conversion-worker.js, peltrix-page*.js and
# *.wasm, and the LICENSE.txt and THIRD-PARTY-NOTICES.txt that the page's footer links to.
#   scripts/build_web_page.sh [BUILD]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-web}
mkdir -p "$build"
build=$(cd "$build" && pwd)
"$root/scripts/build_web.sh" "$build" peltrix-page peltrix-page-files
PELTRIX_WEB_THREADS=OFF PELTRIX_WEB_DEPS="$build/deps" \
  "$root/scripts/build_web.sh" "$build/single" peltrix-page-single
cp "$build/single/peltrix-page-single.js" "$build/single/peltrix-page-single.wasm" "$build/"
for file in LICENSE.txt THIRD-PARTY-NOTICES.txt; do
  if [ ! -s "$build/$file" ] || ! grep -q "href=\"$file\"" "$build/index.html"; then
    echo "build_web_page: $build lacks $file or index.html its link" >&2
    exit 1
  fi
done
