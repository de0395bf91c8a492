#!/usr/bin/env python3
"""`cmake --install` (what `make install` runs) into a DESTDIR with an unusual PREFIX: the
files land under DESTDIR/PREFIX and nowhere else, with the usual modes; the desktop entry
names the window, its program and its icon; the icons are what scripts/make_icon.py draws;
the man pages render without warnings, name the installation's own folders, and the
converter's page lists every option its --help lists.

    install_tree_test.py SOURCE_DIR BUILD_DIR
"""
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import png_pixels  # noqa: E402

BUILD = os.path.abspath(sys.argv.pop(2) if len(sys.argv) > 2 else "build")
SOURCE = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else ".")
PREFIX = "/opt/peltrix-test"

EXPECTED = {
    "bin/peltrix": 0o755,
    "bin/peltrix-convert": 0o755,
    "share/applications/peltrix.desktop": 0o644,
    "share/metainfo/org.example.peltrix.metainfo.xml": 0o644,
    "share/icons/hicolor/48x48/apps/peltrix.png": 0o644,
    "share/icons/hicolor/256x256/apps/peltrix.png": 0o644,
    "share/man/man1/peltrix.1.gz": 0o644,
    "share/man/man1/peltrix-convert.1.gz": 0o644,
    "share/peltrix/sample.png": 0o644,
    "share/doc/peltrix/copyright": 0o644,
    "share/doc/peltrix/changelog.gz": 0o644,
}


def desktop_entry(path):
    fields, group = {}, None
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("["):
                group = line
            elif "=" in line and group == "[Desktop Entry]":
                key, value = line.split("=", 1)
                fields[key] = value
    return fields


def render(page):
    """The page as man shows it, and man's and groff's complaints."""
    env = dict(os.environ, LC_ALL="C.UTF-8", MANWIDTH="80", MAN_KEEP_FORMATTING="")
    done = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", page], env=env,
                          capture_output=True, text=True, stdin=subprocess.DEVNULL)
    # man marks bold and underlined text with backspaces when not on a terminal.
    return done.returncode, re.sub(r".\x08", "", done.stdout), done.stderr


class InstallTree(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        for program in ("peltrix", "peltrix-convert"):
            if not os.access(os.path.join(BUILD, program), os.X_OK):
                raise unittest.SkipTest(f"{program} is not built in {BUILD}")
        cls.tmp = tempfile.TemporaryDirectory(prefix="peltrix-install-")
        cls.stage = os.path.join(cls.tmp.name, "stage")
        subprocess.run(["cmake", "--install", BUILD, "--prefix", PREFIX], check=True,
                       env=dict(os.environ, DESTDIR=cls.stage), stdout=subprocess.DEVNULL)
        cls.root = cls.stage + PREFIX

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def installed(self, name):
        return os.path.join(self.root, name)

    def test_exactly_the_files_under_destdir_and_prefix_with_their_modes(self):
        found = {}
        for folder, dirs, files in os.walk(self.stage):
            for d in dirs:
                path = os.path.join(folder, d)
                self.assertEqual(os.stat(path).st_mode & 0o7777, 0o755, path)
            for f in files:
                path = os.path.join(folder, f)
                found[os.path.relpath(path, self.stage)] = os.stat(path).st_mode & 0o7777
        expected = {os.path.join(PREFIX.lstrip("/"), k): v for k, v in EXPECTED.items()}
        self.assertEqual(found, expected)

    def test_desktop_entry_names_the_window_its_program_and_icon(self):
        path = self.installed("share/applications/peltrix.desktop")
        fields = desktop_entry(path)
        with open(os.path.join(SOURCE, "src", "frontends", "window", "window_layout.cpp")) as f:
            title = re.search(r'kWindowTitle = "([^"]*)"', f.read()).group(1)
        self.assertTrue(title.startswith(fields["Name"] + " "), (fields["Name"], title))
        self.assertEqual(fields["Type"], "Application")
        program, argument = fields["Exec"].split()
        self.assertTrue(os.access(self.installed("bin/" + program), os.X_OK))
        self.assertEqual(argument, "%f")  # "Open with" hands it one file
        self.assertEqual(fields["MimeType"], "image/jpeg;image/png;image/bmp;")
        self.assertIn("Graphics", fields["Categories"].split(";"))
        self.assertEqual(fields["Terminal"], "false")
        for size in (48, 256):
            self.assertTrue(os.path.exists(self.installed(
                f"share/icons/hicolor/{size}x{size}/apps/{fields['Icon']}.png")))
        if shutil.which("desktop-file-validate") is None:
            self.skipTest("desktop-file-validate is missing (Debian package desktop-file-utils)")
        done = subprocess.run(["desktop-file-validate", path], capture_output=True, text=True)
        self.assertEqual((done.returncode, done.stdout + done.stderr), (0, ""))

    def test_software_centres_metadata_is_valid_and_names_this_release(self):
        path = self.installed("share/metainfo/org.example.peltrix.metainfo.xml")
        with open(path) as f:
            text = f.read()
        with open(os.path.join(SOURCE, "CMakeLists.txt")) as f:
            version = re.search(r"project\(peltrix VERSION ([0-9.]+)", f.read()).group(1)
        self.assertIn(f'<release version="{version}" date="', text)
        self.assertIn("<launchable type=\"desktop-id\">peltrix.desktop</launchable>", text)
        self.assertIn("<project_license>MIT</project_license>", text)
        self.assertTrue(self.licence().startswith("MIT License\n"))
        if shutil.which("appstreamcli") is None:
            self.skipTest("appstreamcli is missing (Debian package appstream)")
        done = subprocess.run(["appstreamcli", "validate", "--pedantic", "--no-net", path],
                              capture_output=True, text=True)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)

    def licence(self):
        with open(os.path.join(SOURCE, "LICENSE")) as f:
            return f.read()

    def test_copyright_file_is_machine_readable_with_the_licence_text(self):
        with open(self.installed("share/doc/peltrix/copyright")) as f:
            paragraphs = f.read().split("\n\n")
        self.assertEqual(paragraphs[0].splitlines()[0],
                         "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
        holder = re.search(r"(?m)^Copyright \(c\) (.+)$", self.licence()).group(1)
        self.assertIn(f"Files: *\nCopyright: {holder}\nLicense: Expat\n", paragraphs[1])
        # A License paragraph: the short name, then the text indented, "." for a blank line.
        name, *text = paragraphs[-1].rstrip("\n").split("\n")
        self.assertEqual(name, "License: Expat")
        permission = self.licence()[self.licence().index("Permission is hereby"):].rstrip("\n")
        self.assertEqual("\n".join("" if line == " ." else line[1:] for line in text), permission)

    def test_icons_are_what_the_icon_script_draws_at_their_size(self):
        for size in (48, 256):
            icon = self.installed(f"share/icons/hicolor/{size}x{size}/apps/peltrix.png")
            self.assertEqual(png_pixels.size(icon)[:2], (size, size))
            drawn = os.path.join(self.tmp.name, f"drawn-{size}.png")
            subprocess.run([sys.executable, os.path.join(SOURCE, "scripts", "make_icon.py"),
                            str(size), drawn], check=True)
            self.assertEqual(png_pixels.pixels(icon), png_pixels.pixels(drawn),
                             f"the {size} x {size} icon is not what make_icon.py draws")

    def test_man_pages_render_cleanly_with_the_installation_folders(self):
        sample = PREFIX + "/share/peltrix/sample.png"
        for page in ("peltrix", "peltrix-convert"):
            status, text, complaints = render(self.installed(f"share/man/man1/{page}.1.gz"))
            self.assertEqual((status, complaints), (0, ""), page)
            for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "EXIT STATUS", "FILES",
                            "EXAMPLES", "SEE ALSO"):
                # The converter's exit statuses come from its --help, as a subsection.
                heading = "(EXIT STATUS|   Exit status:)" if section == "EXIT STATUS" else section
                self.assertRegex(text, rf"(?m)^{heading}$", f"{page}(1) lacks {section}")
            self.assertIn(sample, text, page)
            self.assertNotIn("@", re.sub(r"\S+@\S+\.\w+", "", text), f"{page}(1): a blank left")

    def test_converter_page_lists_every_option_of_its_help(self):
        helptext = subprocess.run([os.path.join(BUILD, "peltrix-convert"), "--help"],
                                  capture_output=True, text=True, check=True).stdout
        options = set(re.findall(r"(?<![\w-])--?[a-zA-Z][\w-]*", helptext))
        self.assertIn("--dither", options)
        _, text, _ = render(self.installed("share/man/man1/peltrix-convert.1.gz"))
        missing = sorted(o for o in options if not re.search(rf"(?<![\w-]){o}(?![\w-])", text))
        self.assertEqual(missing, [], "options in --help but not in the man page")

    def test_changelog_is_of_this_version(self):
        version = subprocess.run([os.path.join(BUILD, "peltrix-convert"), "--version"],
                                 capture_output=True, text=True, check=True).stdout.split()[-1]
        with gzip.open(self.installed("share/doc/peltrix/changelog.gz"), "rt") as f:
            self.assertEqual(f.readline().split()[:2], ["peltrix", f"({version})"])


if __name__ == "__main__":
    unittest.main()
