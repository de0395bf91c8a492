#!/usr/bin/env python3
"""Draws peltrix's sample picture, a 320 x 200 true-colour test card, and writes it as a PNG.

It holds what a conversion has to get right: colour bars, a hue and lightness sweep, a grey
ramp and grey steps, a portrait and a chart of skin tones, fine line gratings, a starburst
and text. `make run` converts it when there is no display; the package installs it.

Uses only the Python standard library, so the picture can be remade anywhere and always
comes out the same:
    python3 scripts/make_sample.py assets/sample.png
"""
import colorsys
import math
import sys

from make_banner import TEXT_GLYPHS, encode_rgb_png

WIDTH, HEIGHT = 320, 200
LEFT, RIGHT = 8, 312  # the card's bands span these columns

# The banner's 5 x 7 font, with the letters and digits the card needs besides.
GLYPHS = dict(TEXT_GLYPHS)
GLYPHS.update({
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "3": ["####.", "....#", "....#", ".###.", "....#", "....#", "####."],
})

# Skin tones from pale to deep, lit (top of each swatch) and in shadow (bottom).
SKIN_TONES = [
    ((255, 228, 206), (214, 170, 142)),
    ((241, 194, 160), (196, 142, 108)),
    ((224, 172, 128), (170, 118, 80)),
    ((198, 134, 90), (140, 88, 56)),
    ((141, 85, 54), (96, 56, 36)),
    ((96, 58, 44), (58, 34, 26)),
]


class Canvas:
    """RGB pixels as floats 0..255; shapes are painted over each other with coverage."""

    def __init__(self, colour):
        self.rows = [[list(colour) for _ in range(WIDTH)] for _ in range(HEIGHT)]
        self.clip = (0, 0, WIDTH, HEIGHT)  # x0, y0, x1, y1: painting stays inside

    def blend(self, x, y, colour, alpha=1.0):
        x0, y0, x1, y1 = self.clip
        if x0 <= x < x1 and y0 <= y < y1 and alpha > 0:
            pixel = self.rows[y][x]
            for c in range(3):
                pixel[c] += (colour[c] - pixel[c]) * min(alpha, 1.0)

    def rect(self, x0, y0, w, h, colour):
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                self.blend(x, y, colour)

    def ellipse(self, cx, cy, rx, ry, shade, opacity=1.0):
        """An anti-aliased ellipse; shade(u, v) gives the colour at offsets u, v in -1..1."""
        for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
            for x in range(int(cx - rx) - 1, int(cx + rx) + 2):
                u, v = (x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry
                # Distance to the outline in pixels, near enough for a one-pixel soft edge.
                edge = (math.hypot(u, v) - 1.0) * min(rx, ry)
                self.blend(x, y, shade(u, v), min(1.0, 0.5 - edge) * opacity)

    def text(self, message, x0, y0, scale, colour, shadow=None):
        for n, ch in enumerate(message):
            for gy, line in enumerate(GLYPHS[ch]):
                for gx, mark in enumerate(line):
                    if mark != "#":
                        continue
                    x, y = x0 + (n * 6 + gx) * scale, y0 + gy * scale
                    if shadow is not None:
                        self.rect(x + 1, y + 1, scale, scale, shadow)
                    self.rect(x, y, scale, scale, colour)


def mix(a, b, t):
    return tuple(a[c] + (b[c] - a[c]) * t for c in range(3))


def draw_background(canvas):
    # A fine grid that does not follow the C64's 8 x 8 cells.
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if x % 20 == 10 or y % 20 == 10:
                canvas.blend(x, y, (92, 98, 110))


def draw_colour_bars(canvas):
    bars = [(255, 255, 255), (255, 255, 0), (0, 255, 255), (0, 255, 0),
            (255, 0, 255), (255, 0, 0), (0, 0, 255), (0, 0, 0)]
    under = [(0, 0, 255), (0, 0, 0), (255, 0, 255), (0, 0, 0),
             (0, 255, 255), (0, 0, 0), (255, 255, 255), (0, 0, 0)]
    width = (RIGHT - LEFT) // len(bars)
    for n, (top, bottom) in enumerate(zip(bars, under)):
        canvas.rect(LEFT + n * width, 6, width, 30, top)
        canvas.rect(LEFT + n * width, 36, width, 6, bottom)


def draw_sweeps(canvas):
    span = RIGHT - LEFT
    # Hue across, from full colour at the top to pastel at the bottom.
    for y in range(46, 62):
        for x in range(LEFT, RIGHT):
            r, g, b = colorsys.hls_to_rgb((x - LEFT) / span, 0.5 + (y - 46) / 40, 1.0)
            canvas.blend(x, y, (r * 255, g * 255, b * 255))
    # A smooth grey ramp, then sixteen grey steps.
    for x in range(LEFT, RIGHT):
        grey = (x - LEFT) / (span - 1) * 255
        canvas.rect(x, 64, 1, 10, (grey, grey, grey))
    step = span // 16
    for n in range(16):
        grey = n * 17
        canvas.rect(LEFT + n * step, 74, step, 8, (grey, grey, grey))


def draw_portrait(canvas):
    x0, y0, w, h = LEFT, 88, 92, 84
    for y in range(y0, y0 + h):
        canvas.rect(x0, y, w, 1, mix((120, 170, 220), (250, 214, 170), (y - y0) / (h - 1)))
    cx, cy = x0 + w / 2, y0 + 38
    light, shadow = (248, 206, 172), (186, 118, 84)
    canvas.clip = (x0, y0, x0 + w, y0 + h)

    def skin(u, v):
        # Lit from the upper left: the skin darkens towards the lower right.
        return mix(light, shadow, min(1.0, max(0.0, 0.45 + 0.35 * u + 0.25 * v + 0.2 * (u * u + v * v))))

    canvas.ellipse(cx, y0 + h + 6, 40, 22, lambda u, v: mix((40, 130, 140), (20, 70, 80), (u + 1) / 2))
    canvas.ellipse(cx, cy + 34, 9, 14, lambda u, v: skin(u + 0.4, 0.6))  # the neck
    canvas.ellipse(cx, cy - 6, 29, 30, lambda u, v: mix((92, 54, 30), (48, 26, 14), (u + v + 2) / 4))
    canvas.ellipse(cx, cy + 2, 23, 29, skin)
    for side in (-1, 1):
        canvas.ellipse(cx + side * 13, cy + 12, 6, 4, lambda u, v: (232, 120, 120), opacity=0.4)
        canvas.ellipse(cx + side * 9, cy - 2, 4.5, 2.6, lambda u, v: (250, 250, 246))
        canvas.ellipse(cx + side * 9, cy - 2, 2.0, 2.2, lambda u, v: (60, 90, 60))
        canvas.rect(int(cx + side * 9 - 4), int(cy - 8), 8, 1, (70, 40, 22))
    canvas.ellipse(cx + 2, cy + 8, 2.5, 5, lambda u, v: mix(shadow, light, 0.3))  # the nose
    canvas.ellipse(cx, cy + 19, 7, 2.6, lambda u, v: mix((200, 80, 90), (150, 50, 60), (v + 1) / 2))
    canvas.clip = (0, 0, WIDTH, HEIGHT)


def draw_starburst(canvas):
    cx, cy, radius = 155.5, 130.0, 40.0
    canvas.ellipse(cx, cy, radius + 3, radius + 3, lambda u, v: (230, 200, 40))
    samples = 4  # per axis: the wedges get narrower than a pixel towards the centre
    for y in range(int(cy - radius), int(cy + radius) + 1):
        for x in range(int(cx - radius), int(cx + radius) + 1):
            white = inside = 0
            for sy in range(samples):
                for sx in range(samples):
                    dx = x + (sx + 0.5) / samples - cx
                    dy = y + (sy + 0.5) / samples - cy
                    if dx * dx + dy * dy < radius * radius:
                        inside += 1
                        wedge = int((math.atan2(dy, dx) + math.pi) / (2 * math.pi) * 48)
                        white += wedge % 2 == 0
            if inside:
                grey = 255 * white / inside
                canvas.blend(x, y, (grey, grey, grey), inside / samples ** 2)
    canvas.ellipse(cx, cy, 6, 6, lambda u, v: (220, 30, 40))


def draw_skin_chart(canvas):
    x0, width = 212, 16
    for n, (lit, dark) in enumerate(SKIN_TONES):
        for y in range(88, 124):
            canvas.rect(x0 + n * (width + 1), y, width, 1, mix(lit, dark, (y - 88) / 35))


def draw_gratings(canvas):
    """Black and white line blocks: vertical, horizontal and diagonal, of several periods."""
    blocks = [
        lambda x, y: x % 2, lambda x, y: x % 3 == 0, lambda x, y: (x // 2) % 2,
        lambda x, y: (x // 3) % 2, lambda x, y: y % 2, lambda x, y: y % 3 == 0,
        lambda x, y: (x + y) % 4 < 2, lambda x, y: (x - y) % 3 == 0,
    ]
    for n, white in enumerate(blocks):
        bx, by = 212 + (n % 4) * 25, 128 + (n // 4) * 22
        for y in range(20):
            for x in range(24):
                canvas.blend(bx + x, by + y, (255, 255, 255) if white(x, y) else (0, 0, 0))


def draw_captions(canvas):
    canvas.rect(0, 176, WIDTH, 22, (0, 0, 0))
    # Clear of the leftmost 24 columns, which the C64 shows black in FLI mode.
    canvas.text("PELTRIX TEST CARD", 30, 180, 2, (255, 255, 255), shadow=(90, 90, 200))
    canvas.text("320 X 200", 246, 179, 1, (120, 230, 255))
    canvas.text("INTERLACE", 246, 188, 1, (255, 150, 120))


def draw_card():
    canvas = Canvas((40, 44, 52))
    draw_background(canvas)
    draw_colour_bars(canvas)
    draw_sweeps(canvas)
    draw_portrait(canvas)
    draw_starburst(canvas)
    draw_skin_chart(canvas)
    draw_gratings(canvas)
    draw_captions(canvas)
    return canvas.rows


def encode_png(rows):
    return encode_rgb_png(WIDTH, HEIGHT, (
        bytes(min(255, max(0, int(c + 0.5))) for pixel in row for c in pixel) for row in rows))


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "assets/sample.png"
    with open(path, "wb") as out:
        out.write(encode_png(draw_card()))


if __name__ == "__main__":
    main()
