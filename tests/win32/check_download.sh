#!/usr/bin/env bash
# The Windows download: peltrix.exe and peltrix-convert.exe are self-contained (they import
# only DLLs every Windows has, no libstdc++, winpthread, zlib or libpng DLL), and the zip
# holds exactly the two programs as built plus README.txt.
#   check_download.sh OBJDUMP ZIP PELTRIX_EXE CONVERT_EXE
set -euo pipefail
objdump=$1 zip=$2
shift 2
system_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll shell32.dll user32.dll "
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
python3 - "$zip" "$@" <<'PY' || status=1
import os, sys, zipfile
archive, exes = sys.argv[1], sys.argv[2:]
with zipfile.ZipFile(archive) as z:
    names = sorted(z.namelist())
    expected = sorted([os.path.basename(e) for e in exes] + ["README.txt"])
    if names != expected:
        sys.exit(f"{archive} holds {names}, expected {expected}")
    for exe in exes:
        if z.read(os.path.basename(exe)) != open(exe, "rb").read():
            sys.exit(f"{archive}: {os.path.basename(exe)} is not the program as built")
    readme = z.read("README.txt").decode()
    for needed in ("peltrix.exe", "peltrix-convert.exe", ".prg", "\r\n"):
        if needed not in readme:
            sys.exit(f"README.txt lacks {needed!r}")
PY
exit $status
