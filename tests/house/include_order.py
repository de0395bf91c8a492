#!/usr/bin/env python3
"""Checks that every #include "folder/..." in src/ points one way along the house's order,
as the top of src/CMakeLists.txt writes it: a folder includes only itself and the folders
before it; platform is reached from everywhere and reaches nothing; among the frontends only
window is shared, and gtk, win32, cli and web never include one another."""
import pathlib
import re
import sys

src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parents[2] / "src")
header = (src / "CMakeLists.txt").read_text()
match = re.search(r"^#\s+(\w+(?:\s*->\s*\w+)+)\s*$", header, re.M)
if not match:
    sys.exit("src/CMakeLists.txt: no 'a -> b -> ...' line with the order at its top")
order = [w.strip() for w in match.group(1).split("->")]
rank = {name: i for i, name in enumerate(order)}
faces = {"gtk", "win32", "cli", "web"}

def room(path: pathlib.Path) -> tuple[str, str]:
    parts = path.relative_to(src).parts
    return parts[0], (parts[1] if parts[0] == "frontends" and len(parts) > 2 else "")

include = re.compile(r'^\s*#\s*include\s+"([a-z_0-9]+)/(?:([a-z_0-9]+)/)?')
faults = []
files = [p for p in src.rglob("*") if p.suffix in {".cpp", ".hpp", ".inl", ".h"}]
for path in files:
    folder, face = room(path)
    for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
        m = include.match(line)
        if not m:
            continue
        target, sub = m.group(1), m.group(2) or ""
        where = f"{path.relative_to(src.parent)}:{number}: includes {target}/{sub}"
        if target == "platform":
            continue
        if folder == "platform":
            faults.append(where + " (platform reaches none of the others)")
        elif target not in rank:
            continue  # a file beside it, e.g. "resource_ids.h"
        elif folder in rank and rank[target] > rank[folder]:
            faults.append(where + f" ({folder} comes before {target})")
        elif folder == target == "frontends" and face == "window" and sub != "window":
            faults.append(where + " (the shared window rules include no face)")
        elif folder == target == "frontends" and sub in faces and sub != face:
            faults.append(where + " (a face includes no other face)")

for fault in faults:
    print(fault)
if not files:
    sys.exit(f"no sources under {src}")
print(f"include order {' -> '.join(order)}: {len(files)} files, {len(faults)} faults")
sys.exit(1 if faults else 0)
