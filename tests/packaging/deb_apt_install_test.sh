#!/usr/bin/env bash
# Installs the package built in $1 with apt as a user would, converts a photo from $2/testdata
# with the installed /usr/bin/peltrix-convert, finds both man pages with `man -w`, checks the
# desktop entry and the icons, and removes the package again: always, also when a step fails.
# Skips (exit 77) when not root, without apt, without the shared photos, or when peltrix is
# already installed here (the test would remove someone's package).
set -euo pipefail
deb_dir=$1 shared=$2
skip() { echo "SKIPPED: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
command -v apt-get >/dev/null || skip "apt-get is missing (not a Debian system)"
photo=$shared/testdata/fruits.jpg
[ -f "$photo" ] || skip "$photo is absent (../shared beside the repository)"
debs=("$deb_dir"/peltrix_*.deb)
deb=$(cd "$(dirname "${debs[0]}")" && pwd)/$(basename "${debs[0]}")

# One run at a time on this machine owns the installed package.
mkdir -p /run/lock
exec 9>/run/lock/peltrix-package-test.lock
flock -w 1200 9 || { echo "another package test holds the lock for 20 minutes" >&2; exit 1; }
installed() { dpkg-query -W -f='${Status}' peltrix 2>/dev/null | grep -q 'installed'; }
installed && skip "peltrix is already installed on this machine; the test would remove it"

work=$(mktemp -d)
apt_get() {
  # Waits for another apt or dpkg run rather than failing on its lock.
  local tries=0 log=$work/apt.log
  until DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@" >"$log" 2>&1; do
    if grep -q 'Could not get lock' "$log" && [ $((tries += 1)) -lt 60 ]; then
      sleep 10
    else
      cat "$log" >&2
      return 1
    fi
  done
}
cleanup() {
  local status=$?
  if installed; then
    apt_get purge -y peltrix || status=1
    installed && { echo "FAIL: peltrix is still installed" >&2; status=1; }
  fi
  rm -rf "$work"
  exit $status
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Images that leave man pages out of every package keep ours.
apt_get install -y --no-install-recommends \
  -o DPkg::Options::=--path-include='/usr/share/man/man1/peltrix*' "$deb"
echo "installed $(dpkg-query -W -f='${Package} ${Version}' peltrix)"

for program in /usr/bin/peltrix /usr/bin/peltrix-convert; do
  [ -x "$program" ] || fail "$program is not installed"
  if ldd "$program" | grep -q 'not found'; then
    fail "$program lacks libraries the package should depend on: $(ldd "$program" | grep 'not found')"
  fi
done

/usr/bin/peltrix-convert -q "$photo" "$work/fruits.prg" "$work/fruits.png" ||
  fail "the installed peltrix-convert failed on $photo"
[ "$(head -c 2 "$work/fruits.prg" | od -An -tx1 | tr -d ' ')" = 0008 ] ||
  fail "fruits.prg does not load at \$0800"
[ -s "$work/fruits.png" ] || fail "no blend picture written"
echo "converted $photo with /usr/bin/peltrix-convert"

for page in peltrix peltrix-convert; do
  where=$(man -w "$page") || fail "man -w $page finds no page"
  echo "man -w $page: $where"
done

desktop=/usr/share/applications/peltrix.desktop
[ -f "$desktop" ] || fail "$desktop is not installed"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
  echo "desktop-file-validate: $desktop is valid"
fi
for size in 48 256; do
  icon=/usr/share/icons/hicolor/${size}x$size/apps/peltrix.png
  [ -f "$icon" ] || fail "$icon is not installed"
  file "$icon" | grep -q "PNG image data, $size x $size" || fail "$icon is not $size x $size"
done
[ -f /usr/share/peltrix/sample.png ] || fail "the sample picture is not installed"
echo "desktop entry, icons and sample are in place"
