#!/usr/bin/env python3
"""The sample picture: scripts/make_sample.py draws the same 320 x 200 card on every run, the
committed assets/sample.png is what it draws, and the card holds what it is there to test
(colours of every hue, skin tones, fine lines, black and white).

    sample_picture_test.py SOURCE_DIR
"""
import colorsys
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import png_pixels  # noqa: E402

SOURCE = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else ".")


def draw(path):
    subprocess.run([sys.executable, os.path.join(SOURCE, "scripts", "make_sample.py"), path],
                   check=True)


class SamplePicture(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory(prefix="peltrix-sample-")
        cls.first, cls.second = (os.path.join(cls.tmp.name, n) for n in ("a.png", "b.png"))
        draw(cls.first)
        draw(cls.second)
        cls.rows = png_pixels.pixels(cls.first)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_is_320_by_200_true_colour(self):
        self.assertEqual(png_pixels.size(self.first), (320, 200, 8, 2))

    def test_every_run_draws_the_same_and_the_committed_file_is_it(self):
        self.assertEqual(png_pixels.pixels(self.second), self.rows)
        committed = png_pixels.pixels(os.path.join(SOURCE, "assets", "sample.png"))
        self.assertEqual(committed, self.rows,
                         "assets/sample.png is not what scripts/make_sample.py draws: remake it")

    def test_holds_every_hue_skin_tones_black_and_white(self):
        hues, skin = set(), 0
        colours = {p for row in self.rows for p in row}
        for r, g, b in colours:
            h, l, s = colorsys.rgb_to_hls(r / 255, g / 255, b / 255)
            if s > 0.6 and 0.3 < l < 0.7:
                hues.add(int(h * 12) % 12)
        for row in self.rows:
            for r, g, b in row:
                # warm, moderately saturated: red above green above blue
                skin += r > g > b and r - g >= 15 and g - b >= 10 and 30 <= r - b <= 150
        self.assertEqual(hues, set(range(12)), "a twelfth of the hue circle is missing")
        self.assertGreater(len(colours), 3000)
        self.assertGreater(skin, 2000)
        self.assertIn((0, 0, 0), colours)
        self.assertIn((255, 255, 255), colours)

    def test_has_one_pixel_wide_lines(self):
        def alternating(run):
            return all(run[i] != run[i + 1] and run[i] in ((0, 0, 0), (255, 255, 255))
                       for i in range(len(run) - 1))
        across = any(alternating(row[x:x + 16]) for row in self.rows for x in range(0, 304, 8))
        down = any(alternating([self.rows[y][x] for y in range(y0, y0 + 16)])
                   for x in range(320) for y0 in range(0, 184, 8))
        self.assertTrue(across, "no run of one-pixel vertical lines")
        self.assertTrue(down, "no run of one-pixel horizontal lines")


if __name__ == "__main__":
    unittest.main()
