#!/usr/bin/env python3
"""`make run` (scripts/run.sh): without a display it converts the shipped sample picture into
peltrix-sample.prg and peltrix-sample.png in the current folder, also when they are there
from an earlier run, and says how to look at them; with a display it starts the window.

    run_without_display_test.py SOURCE_DIR BUILD_DIR
"""
import os
import stat
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import png_pixels  # noqa: E402

BUILD = os.path.abspath(sys.argv.pop(2) if len(sys.argv) > 2 else "build")
SOURCE = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else ".")
RUN = os.path.join(SOURCE, "scripts", "run.sh")
CONVERT = os.path.join(BUILD, "peltrix-convert")


def run_script(folder, build, display=None):
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    if display is not None:
        env["DISPLAY"] = display
    return subprocess.run(["bash", RUN, build], cwd=folder, env=env, capture_output=True,
                          text=True, stdin=subprocess.DEVNULL, timeout=600)


def read(path):
    with open(path, "rb") as f:
        return f.read()


class WithoutDisplay(unittest.TestCase):
    def setUp(self):
        if not os.access(CONVERT, os.X_OK):
            self.skipTest(f"{CONVERT} is not built")
        self.tmp = tempfile.TemporaryDirectory(prefix="peltrix-run-")
        self.folder = self.tmp.name

    def tearDown(self):
        self.tmp.cleanup()

    def test_converts_the_sample_into_the_current_folder_and_says_how_to_look(self):
        done = run_script(self.folder, BUILD)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(sorted(os.listdir(self.folder)),
                         ["peltrix-sample.png", "peltrix-sample.prg"])
        program = read(os.path.join(self.folder, "peltrix-sample.prg"))
        self.assertEqual(program[:2], b"\x00\x08", "a C64 program loads at $0800")
        self.assertEqual(png_pixels.size(os.path.join(self.folder, "peltrix-sample.png"))[:2],
                         (320, 200))
        self.assertIn("x64sc -autostart peltrix-sample.prg", done.stdout)
        self.assertIn("picture viewer", done.stdout)

        # The same files as converting the shipped sample directly.
        direct = os.path.join(self.folder, "direct")
        os.mkdir(direct)
        subprocess.run([CONVERT, "-q", os.path.join(SOURCE, "assets", "sample.png"),
                        os.path.join(direct, "s.prg"), os.path.join(direct, "s.png")], check=True)
        self.assertEqual(program, read(os.path.join(direct, "s.prg")))
        self.assertEqual(read(os.path.join(self.folder, "peltrix-sample.png")),
                         read(os.path.join(direct, "s.png")))

    def test_a_second_run_replaces_its_own_files(self):
        self.assertEqual(run_script(self.folder, BUILD).returncode, 0)
        target = os.path.join(self.folder, "peltrix-sample.prg")
        first = read(target)
        with open(target, "wb") as f:
            f.write(b"stale")
        again = run_script(self.folder, BUILD)
        self.assertEqual(again.returncode, 0, again.stderr)
        self.assertEqual(read(target), first)

    def test_a_converter_that_replaces_only_when_forced_is_forced(self):
        # A stand-in converter that, like the real one with -f/--force, refuses to replace an
        # existing output unless asked.
        build = os.path.join(self.folder, "careful-build")
        os.mkdir(build)
        stub = os.path.join(build, "peltrix-convert")
        with open(stub, "w") as f:
            f.write("""#!/bin/bash
if [ "$1" = --help ]; then echo "  -f, --force  replace existing outputs"; exit 0; fi
force=0; [ "$1" = --force ] && { force=1; shift; }
shift  # INPUT
for out in "$@"; do
  if [ -e "$out" ] && [ $force = 0 ]; then echo "$out exists" >&2; exit 2; fi
done
for out in "$@"; do echo converted > "$out"; done
""")
        os.chmod(stub, stat.S_IRWXU)
        work = os.path.join(self.folder, "work")
        os.mkdir(work)
        for attempt in range(2):
            done = run_script(work, build)
            self.assertEqual(done.returncode, 0, f"run {attempt + 1}: {done.stderr}")


class WithDisplay(unittest.TestCase):
    def test_starts_the_window_instead(self):
        with tempfile.TemporaryDirectory(prefix="peltrix-run-") as folder:
            # A stand-in window that notes the display it was started on.
            build = os.path.join(folder, "build")
            os.mkdir(build)
            window = os.path.join(build, "peltrix")
            with open(window, "w") as f:
                f.write('#!/bin/sh\necho "window on $DISPLAY" > started\n')
            os.chmod(window, stat.S_IRWXU)
            done = run_script(folder, build, display=":77")
            self.assertEqual(done.returncode, 0, done.stderr)
            with open(os.path.join(folder, "started")) as f:
                self.assertEqual(f.read(), "window on :77\n")
            self.assertFalse(os.path.exists(os.path.join(folder, "peltrix-sample.prg")))


if __name__ == "__main__":
    unittest.main()
