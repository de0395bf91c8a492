#!/usr/bin/env python3
"""The zip a Windows user gets: it holds the README and the programs, each program imports only
DLLs that every Windows has (everything else is linked in statically), and the unpacked
peltrix-convert.exe starts.

  package_test.py --zip peltrix-windows.zip --objdump OBJDUMP -- EMULATOR...

Exit status 0: fine; 1: a fault (listed); 77: skipped (no zip: scripts/windows.sh makes it).
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import zipfile

# DLLs of Windows itself. Anything else (libstdc++-6.dll, libwinpthread-1.dll, zlib1.dll,
# libpng16.dll, ...) would have to travel with the program.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
    "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "uxtheme.dll",
    "version.dll", "winmm.dll", "ws2_32.dll", "bcrypt.dll", "imm32.dll", "dwmapi.dll",
}


def imports(objdump, exe):
    listing = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True)
    return [m.lower() for m in re.findall(r"DLL Name: (\S+)", listing.stdout)]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zip", required=True)
    parser.add_argument("--objdump", required=True)
    parser.add_argument("emulator", nargs="+")
    args = parser.parse_args()
    if not os.path.exists(args.zip):
        print(f"skipped: {args.zip} is not there (scripts/windows.sh packs it after building)")
        return 77
    faults = []
    with tempfile.TemporaryDirectory(prefix="peltrix-zip-") as top:
        with zipfile.ZipFile(args.zip) as z:
            names = z.namelist()
            z.extractall(top)
        folder = os.path.join(top, "peltrix")
        for needed in ("peltrix/README.txt", "peltrix/peltrix-convert.exe"):
            if needed not in names:
                faults.append(f"{needed} is not in the zip ({names})")
        with open(os.path.join(folder, "README.txt"), "rb") as f:
            readme = f.read()
        if b"\r\n" not in readme or readme.count(b"\n") != readme.count(b"\r\n"):
            faults.append("README.txt has not CR LF line ends throughout")
        exes = sorted(n for n in os.listdir(folder) if n.endswith(".exe"))
        for exe in exes:
            dlls = imports(args.objdump, os.path.join(folder, exe))
            if not dlls:
                faults.append(f"{exe}: no imports found (not a Windows program?)")
            foreign = [d for d in dlls if d not in SYSTEM_DLLS]
            if foreign:
                faults.append(f"{exe} needs DLLs that Windows does not have: {foreign}")
            print(f"{exe}: imports {', '.join(dlls)}")
        emulator = [os.path.abspath(e) if os.sep in e else e for e in args.emulator]
        done = subprocess.run(emulator + ["peltrix-convert.exe", "--version"], cwd=folder,
                              capture_output=True, timeout=300)
        if done.returncode != 0 or not done.stdout.startswith(b"peltrix-convert "):
            faults.append(f"the unpacked peltrix-convert.exe --version: exit {done.returncode}, "
                          f"{done.stdout!r} {done.stderr!r}")
    for f in faults:
        print(f"FAULT: {f}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
