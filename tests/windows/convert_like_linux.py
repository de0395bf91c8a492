#!/usr/bin/env python3
"""peltrix-convert.exe under wine against the Linux peltrix-convert, run for run.

Both programs get the same arguments (Unix paths, which wine hands to the Windows program as
drive-relative paths on the Z: drive) and must agree on everything: exit status, what they
print (line ends aside), and every byte of every file they write, for the shared photos in the
six search modes and other option sets, for a folder and file with non-ASCII names (also
spelt the Windows way, Z:\\...\\Zoë\\Straße.jpg), and for bad inputs, unwritable outputs and
usage errors. The Linux program's own tests (tests/cli_convert_test.cpp) check what the
results are; this checks that Windows gives the same.

  convert_like_linux.py --exe peltrix-convert.exe --linux peltrix-convert --shared DIR
                        -- EMULATOR...      (how to start a Windows program, e.g. wine)

Exit status 0: all agreed; 1: a difference (listed); 77: skipped (a program or the photos
missing).
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

PHOTOS = ["fruits.jpg", "baboon.jpg", "butterfly.jpg", "smarties.png", "HappyFish.jpg"]

# The six combinations of "Super Flicker reduction", "Per 2 line FLI" and "Multithread" that
# pick the search and the workers; each photo also gets other options in turn, so that
# every option meets the Windows build somewhere.
SEARCH_MODES = [
    ["--super-flicker"],
    ["--super-flicker", "--no-fli"],
    [],
    ["--no-fli"],
    ["--single-thread"],
    ["--no-fli", "--single-thread"],
]
EXTRA_OPTIONS = [
    [],
    ["--reduced", "-d0"],
    ["--basic-exclusions", "--ntsc"],
    ["--luma-only", "-d3"],
    ["--reduced", "--basic-exclusions", "--dither=1"],
    ["--match", "eye"],
    ["--match", "eye", "--eye-dither", "ordered", "--luma-only"],
    ["--match", "eye", "--eye-dither", "none", "--reduced", "--palette", "colodore"],
]


class Comparison:
    def __init__(self, args):
        # The programs run in folders of their own: paths must not be relative.
        self.exe = os.path.abspath(args.exe)
        self.linux = os.path.abspath(args.linux)
        self.emulator = [os.path.abspath(e) if os.sep in e else e for e in args.emulator]
        self.failures = []
        self.runs = 0

    def run(self, command, cwd):
        done = subprocess.run(command, cwd=cwd, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=600)
        # A Windows console program ends its lines with CR LF.
        return (done.returncode, done.stdout.replace(b"\r\n", b"\n"),
                done.stderr.replace(b"\r\n", b"\n"))

    def compare(self, name, args, windows_args=None, outputs=()):
        """Runs both programs, one after the other, in the same fresh folder (so that messages
        naming paths can agree); `outputs` are files each must write there. "@/" in an
        argument stands for that folder; `windows_args`, if given, replace `args` for the
        Windows program, with paths in the folder spelt the Windows way."""
        self.runs += 1
        results = {}
        with tempfile.TemporaryDirectory(prefix="peltrix-win-") as top:
            for side in ("linux", "windows"):
                folder = os.path.join(top, "run")
                os.makedirs(folder)
                given = windows_args if (side == "windows" and windows_args) else args
                given = [a.replace("@/", folder + "/") for a in given]
                if side == "windows" and windows_args:
                    given = [windows_path(a) if a.startswith(folder) else a for a in given]
                command = ([self.linux] if side == "linux" else self.emulator + [self.exe])
                status, out, err = self.run(command + given, folder)
                files = {}
                for root, _, names in os.walk(folder):
                    for n in names:
                        path = os.path.join(root, n)
                        with open(path, "rb") as f:
                            files[os.path.relpath(path, folder)] = f.read()
                results[side] = (status, out, err, files)
                shutil.rmtree(folder)  # the other side gets the same folder name
        (ls, lo, le, lf), (ws, wo, we, wf) = results["linux"], results["windows"]
        if windows_args:
            # Messages name the files as each program was given them.
            we = re.sub(rb"Z:(\\[^\s:]*)", lambda m: m.group(1).replace(b"\\", b"/"), we)
        problems = []
        if ls != ws:
            problems.append(f"exit status {ls} on Linux, {ws} on Windows")
        if lo != wo:
            problems.append(f"stdout differs: {lo[:200]!r} / {wo[:200]!r}")
        if le != we:
            problems.append(f"stderr differs: {le[:300]!r} / {we[:300]!r}")
        if sorted(lf) != sorted(wf):
            problems.append(f"files differ: {sorted(lf)} / {sorted(wf)}")
        for f in sorted(set(lf) & set(wf)):
            if lf[f] != wf[f]:
                problems.append(f"{f} differs ({len(lf[f])} / {len(wf[f])} bytes)")
        for f in outputs:
            if f not in lf:
                problems.append(f"{f} was not written")
        if problems:
            self.failures.append((name, problems))
            print(f"DIFFERENT {name}", flush=True)
            for p in problems:
                print(f"    {p}", flush=True)
        return results["linux"]


def windows_path(path):
    """The Windows spelling of a Unix path, as a Windows user would type it (wine's Z:)."""
    return "Z:" + path.replace("/", "\\")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--linux", required=True)
    parser.add_argument("--shared", required=True)
    parser.add_argument("emulator", nargs="+")
    args = parser.parse_args()
    photos = os.path.join(args.shared, "testdata")
    for program, what in ((args.exe, "peltrix-convert.exe"),
                          (args.linux, "the Linux peltrix-convert (make build)")):
        if not os.access(program, os.X_OK):
            print(f"skipped: {what} is not built: {program}")
            return 77
    if not all(os.path.exists(os.path.join(photos, p)) for p in PHOTOS):
        print(f"skipped: the test photos are not in {photos}")
        return 77

    c = Comparison(args)
    outputs = ["out.raw", "out.prg", "out.png"]

    # The photos in every search mode, with the other options taken in turn.
    for i, photo in enumerate(PHOTOS):
        for j, mode in enumerate(SEARCH_MODES):
            extra = EXTRA_OPTIONS[(i + j) % len(EXTRA_OPTIONS)]
            options = mode + extra
            frames = ["--frames", "@/f"] if j == 0 else []
            c.compare(f"{photo} {' '.join(options)}",
                      options + frames + [os.path.join(photos, photo)] +
                      ["@/" + o for o in outputs], outputs=outputs)
    # What the eye sees, from integers only: the same bytes.
    c.compare("eye picture", ["--match", "eye", "--eye", "@/e.png",
                              os.path.join(photos, "baboon.jpg"), "@/e.raw"],
              outputs=["e.png", "e.raw"])
    # The standard viewer with "Ass Lace".
    c.compare("ass lace", ["--no-fli", "--ass-lace", os.path.join(photos, "fruits.jpg"),
                           "@/a.prg"], outputs=["a.prg"])

    # Non-ASCII names: both programs read a photo copied into a folder "Zoë".
    with tempfile.TemporaryDirectory(prefix="peltrix-utf8-") as top:
        folder = os.path.join(top, "Zo\u00eb")
        os.makedirs(folder)
        picture = os.path.join(folder, "Stra\u00dfe.jpg")
        shutil.copy(os.path.join(photos, "HappyFish.jpg"), picture)
        # Ł and ź are not in the ANSI code page either (argv there would lose them).
        names = ["Stra\u00dfe.raw", "Stra\u00dfe.prg", "\u0141\u00f3d\u017a.png"]
        unix = [picture] + ["@/" + n for n in names]
        c.compare("non-ASCII names, Unix spelling", unix, outputs=names)
        c.compare("non-ASCII names, Windows spelling", unix,
                  windows_args=[windows_path(picture)] + ["@/" + n for n in names],
                  outputs=names)
        c.compare("non-ASCII output folder", ["--no-fli", picture, "@/Zo\u00eb.prg"],
                  outputs=["Zo\u00eb.prg"])
        c.compare("missing non-ASCII file", [os.path.join(folder, "Fehlt\u00e4.jpg"), "@/x.raw"])

    # Framing, what the C64 shows, and a batch; on Windows the batch's inputs are also given
    # as a pattern, which the program expands itself (Windows' shells do not).
    fruits = os.path.join(photos, "fruits.jpg")
    c.compare("fit on NTSC", ["--fit", "--ntsc", fruits, "@/fit.prg", "@/fit.png"],
              outputs=["fit.prg", "fit.png"])
    c.compare("fill, no FLI", ["--fill", "--no-fli", "-d1", fruits, "@/fill.raw"],
              outputs=["fill.raw"])
    c.compare("offset", ["--offset", "100,60", fruits, "@/offset.raw"], outputs=["offset.raw"])
    c.compare("c64 frames", ["--no-fli", "--ass-lace", "--c64-frames", "@/c", fruits, "@/c.prg"],
              outputs=["c.prg"] + [f"c-c64-frame{n}.png" for n in (1, 2, 3)])
    with tempfile.TemporaryDirectory(prefix="peltrix-batch-") as top:
        pictures = []
        for photo in ("HappyFish.jpg", "smarties.png"):
            pictures.append(os.path.join(top, photo))
            shutil.copy(os.path.join(photos, photo), pictures[-1])
        batch = ["--outdir", "@/", "--to", "prg,png", "--frames"]
        made = ["HappyFish.prg", "HappyFish.png", "smarties.prg", "smarties.png"]
        c.compare("batch", batch + pictures, outputs=made)
        c.compare("batch from a pattern", batch + pictures,
                  windows_args=batch + [windows_path(os.path.join(top, "*.*"))], outputs=made)

    # Trouble, and the command line itself.
    with tempfile.TemporaryDirectory(prefix="peltrix-bad-") as top:
        text = os.path.join(top, "notes.jpg")
        with open(text, "w") as f:
            f.write("not a picture at all")
        fish = os.path.join(photos, "HappyFish.jpg")
        folder_raw = os.path.join(top, "folder.raw")
        os.makedirs(folder_raw)
        for name, arguments in [
            ("missing input", [os.path.join(top, "missing.jpg"), "@/out.raw"]),
            ("text as a picture", [text, "@/out.raw", "@/out.png"]),
            ("folder as a picture", [top, "@/out.raw"]),
            ("output in a missing folder", [fish, "@/out.raw", "@/no-such-folder/out.png"]),
            ("output through a file", [fish, os.path.join(text, "out.raw")]),
            ("output is a folder", [fish, folder_raw]),
            ("no arguments", []),
            ("no output", [fish]),
            ("unknown option", ["--bogus", fish, "@/out.raw"]),
            ("bad dither", ["-d", "4", fish, "@/out.raw"]),
            ("option without value", ["--dither"]),
            ("unknown extension", [fish, "@/out.gif"]),
            ("no extension", [fish, "@/out"]),
            ("empty frames prefix", ["--frames", "", fish, "@/out.raw"]),
            ("help", ["--help"]),
            ("help first", ["-h", "--bogus"]),
            ("version", ["--version"]),
            ("quiet", ["-q", fish, "@/q.raw"]),
        ]:
            c.compare(name, arguments)

    print(f"{c.runs} runs compared, {len(c.failures)} different")
    return 1 if c.failures else 0


if __name__ == "__main__":
    sys.exit(main())
