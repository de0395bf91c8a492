#!/usr/bin/env python3
"""The eye match against the classic match's, on the shared photos: each photo converted with default
options in both matches, standard and FLI, through peltrix-convert --report=json; prints a
Markdown table per mode and the averages the README quotes.

    scripts/eye_quality_table.py [--convert build/peltrix-convert] [--photos ../shared/testdata]
"""
import argparse
import json
import pathlib
import subprocess
import sys
import tempfile

root = pathlib.Path(__file__).resolve().parents[1]
parser = argparse.ArgumentParser()
parser.add_argument("--convert", default=str(root / "build" / "peltrix-convert"))
parser.add_argument("--photos", default=str(root.parent / "shared" / "testdata"))
parser.add_argument("--framing", default="--fit", help="the framing option (default --fit)")
args = parser.parse_args()

photos = sorted(p for p in pathlib.Path(args.photos).iterdir()
                if p.suffix.lower() in {".jpg", ".jpeg", ".png", ".bmp"})
if not photos:
    print(f"skipped: no photos in {args.photos}")
    sys.exit(77)


def report(photo, extra):
    with tempfile.TemporaryDirectory() as folder:
        out = subprocess.run([args.convert, "-q", args.framing, "--report=json", *extra,
                              str(photo), str(pathlib.Path(folder) / "out.raw")],
                             check=True, capture_output=True, text=True).stdout
    return json.loads(out)


failed = False
for mode, extra in (("FLI", []), ("standard", ["--no-fli"])):
    print(f"\n{mode} (default options, {args.framing}):\n")
    print("| photo | error mean classic → eye | p95 classic → eye | flicker classic → eye |")
    print("|---|---|---|---|")
    ratios = {"mean": [], "p95": [], "flicker": []}
    for photo in photos:
        s, e = report(photo, extra), report(photo, extra + ["--match", "eye"])
        r_mean = e["errorMean"] / s["errorMean"]
        r_p95 = e["errorP95"] / s["errorP95"]
        r_flicker = e["flickerMean"] / s["flickerMean"]
        ratios["mean"].append(r_mean)
        ratios["p95"].append(r_p95)
        ratios["flicker"].append(r_flicker)
        print(f"| {photo.name} | {s['errorMean']:.2f} → {e['errorMean']:.2f} ({r_mean - 1:+.0%}) "
              f"| {s['errorP95']:.2f} → {e['errorP95']:.2f} ({r_p95 - 1:+.0%}) "
              f"| {s['flickerMean']:.4f} → {e['flickerMean']:.4f} ({r_flicker - 1:+.0%}) |")
    avg = {k: sum(v) / len(v) for k, v in ratios.items()}
    print(f"| **average** | {avg['mean'] - 1:+.1%} | {avg['p95'] - 1:+.1%} | {avg['flicker'] - 1:+.1%} |")
    ok = (avg["mean"] <= 0.75 and avg["p95"] <= 0.85 and max(ratios["mean"]) <= 0.90
          and avg["flicker"] <= 1.05 and max(ratios["flicker"]) <= 1.10)
    print(f"\n{mode}: {'meets' if ok else 'MISSES'} the targets (mean -25 % on average and -10 % on "
          "every photo, p95 -15 %, flicker at most +5 % on average and +10 % on any photo)")
    failed = failed or not ok
sys.exit(1 if failed else 0)
