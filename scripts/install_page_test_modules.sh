#!/usr/bin/env bash
# Installs what the web page's Chromium test needs from npm into DIR/node_modules, exactly
# as tests/web/package-lock.json pins it: puppeteer-core alone, which downloads no browser
# (the test drives Debian's chromium). Quiet and quick when it is there already.
#   scripts/install_page_test_modules.sh DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:?usage: install_page_test_modules.sh DIR}
mkdir -p "$dir"
if cmp -s "$root/tests/web/package-lock.json" "$dir/package-lock.json" &&
  [ -d "$dir/node_modules/puppeteer-core" ]; then
  exit 0
fi
cp "$root/tests/web/package.json" "$root/tests/web/package-lock.json" "$dir/"
# --ignore-scripts: no install step of any package runs (none may fetch a browser).
(cd "$dir" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund \
  --loglevel=error >/dev/null)
