#!/usr/bin/env python3
"""peltrix-convert --report=json against scripts/quality_check.py, an independent numpy
computation from the pictures: a 320 x 200 crop of a shared photo (so that framing changes
nothing), converted in both matches; the error figures must agree within 0.05, the flicker
figures (those of the flicker map) within 0.001.
Exit 77 (skipped) without the photos, ImageMagick's convert or numpy.

    report_matches_numpy.py --convert PELTRIX_CONVERT --shared SHARED
"""
import argparse
import json
import pathlib
import shutil
import subprocess
import sys
import tempfile

root = pathlib.Path(__file__).resolve().parents[2]
parser = argparse.ArgumentParser()
parser.add_argument("--convert", required=True)
parser.add_argument("--shared", required=True)
args = parser.parse_args()

photo = pathlib.Path(args.shared) / "testdata" / "fruits.jpg"
if not photo.exists():
    print(f"skipped: {photo} is missing")
    sys.exit(77)
if shutil.which("convert") is None:
    print("skipped: ImageMagick's convert is missing")
    sys.exit(77)
# The interpreter that has numpy: this one, or Debian's.
checker = None
for python in (sys.executable, "/usr/bin/python3"):
    if subprocess.run([python, "-c", "import numpy"], capture_output=True).returncode == 0:
        checker = python
        break
if checker is None:
    print("skipped: numpy is missing (Debian package python3-numpy)")
    sys.exit(77)

failed = False
with tempfile.TemporaryDirectory() as work:
    folder = pathlib.Path(work)
    source = folder / "source.png"
    subprocess.run(["convert", str(photo), "-crop", "320x200+96+160", "+repage",
                    "PNG24:" + str(source)], check=True)
    for match in ("classic", "eye"):
        run = subprocess.run([args.convert, "-q", "--match", match, "--report=json", "--frames",
                              str(folder / match), str(source), str(folder / (match + ".raw"))],
                             check=True, capture_output=True, text=True)
        ours = json.loads(run.stdout)
        numpy_run = subprocess.run([checker, str(root / "scripts" / "quality_check.py"),
                                    str(source), str(folder / match)],
                                   check=True, capture_output=True, text=True)
        theirs = {}
        for line in numpy_run.stdout.splitlines():
            key, _, value = line.partition(" ")
            if value:
                theirs[key.rstrip(":")] = float(value.split()[0])
        for key in ("errorMean", "errorP95", "flickerMean", "flickerShareAbove002"):
            if key not in theirs:
                print(f"{match}: quality_check.py printed no {key}: {numpy_run.stdout!r}")
                failed = True
                continue
            limit = 0.001 if key.startswith("flicker") else 0.05
            diff = abs(ours[key] - theirs[key])
            verdict = "ok" if diff <= limit else "DIFFERS"
            failed = failed or diff > limit
            print(f"{match} {key}: peltrix {ours[key]:.4f}, numpy {theirs[key]:.4f} ({verdict})")
sys.exit(1 if failed else 0)
