#!/usr/bin/env bash
# The Windows download: peltrix.exe and peltrix-convert.exe are self-contained (they import
# only DLLs every Windows has, no libstdc++, winpthread, zlib or libpng DLL), and the zip
# holds exactly the two programs as built, README.txt, peltrix's LICENSE as LICENSE.txt and
# THIRD-PARTY-NOTICES.txt, the licences of the libraries linked in.
#   check_download.sh OBJDUMP ZIP PELTRIX_EXE CONVERT_EXE
set -euo pipefail
objdump=$1 zip=$2
shift 2
system_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll shell32.dll user32.dll winmm.dll "
status=0
for exe in "$@"; do
  mapfile -t dlls < <("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  if [ ${#dlls[@]} -eq 0 ]; then echo "$exe: no imports found" >&2; status=1; fi
  for dll in "${dlls[@]}"; do
    if [[ "$system_dlls" != *" $dll "* ]]; then
      echo "$(basename "$exe") imports $dll, which Windows does not bring" >&2
      status=1
    fi
  done
done
licence=$(dirname "$0")/../../LICENSE
python3 - "$zip" "$licence" "$@" <<'PY' || status=1
import os, sys, zipfile
archive, licence, exes = sys.argv[1], sys.argv[2], sys.argv[3:]
with zipfile.ZipFile(archive) as z:
    names = sorted(z.namelist())
    texts = ["README.txt", "LICENSE.txt", "THIRD-PARTY-NOTICES.txt"]
    expected = sorted([os.path.basename(e) for e in exes] + texts)
    if names != expected:
        sys.exit(f"{archive} holds {names}, expected {expected}")
    for exe in exes:
        if z.read(os.path.basename(exe)) != open(exe, "rb").read():
            sys.exit(f"{archive}: {os.path.basename(exe)} is not the program as built")
    readme = z.read("README.txt").decode()
    for needed in ("peltrix.exe", "peltrix-convert.exe", ".prg", "LICENSE.txt", "\r\n"):
        if needed not in readme:
            sys.exit(f"README.txt lacks {needed!r}")
    if z.read("LICENSE.txt") != open(licence, "rb").read().replace(b"\n", b"\r\n"):
        sys.exit(f"LICENSE.txt is not {licence} with CRLF line ends")
    notices = z.read("THIRD-PARTY-NOTICES.txt").decode()
    # libjpeg's licence asks for this sentence in the documentation of its programs.
    for needed in ("based in part on the work of the Independent JPEG Group", "\r\n"):
        if needed not in notices:
            sys.exit(f"THIRD-PARTY-NOTICES.txt lacks {needed!r}")
PY
exit $status
