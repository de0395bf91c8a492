#!/usr/bin/env python3
"""Draws the peltrix banner (980 x 80, C64 colours) and writes it as a palette PNG.

Uses only the Python standard library, so the picture can be remade anywhere:
    python3 scripts/make_banner.py assets/banner.png
"""
import struct
import sys
import zlib

WIDTH, HEIGHT = 980, 80

# The C64's 16 colours, in palette order (index = C64 colour number).
PALETTE = [
    0x000000, 0xFFFFFF, 0x68372B, 0x70A4B2, 0x6F3D86, 0x588D43, 0x352879, 0xB8C76F,
    0x6F4F25, 0x433900, 0x9A6759, 0x444444, 0x6C6C6C, 0x9AD284, 0x6C5EB5, 0x959595,
]
BLACK, WHITE, RED, CYAN, PURPLE, GREEN, BLUE, YELLOW = range(8)
ORANGE, BROWN, LIGHT_RED, DARK_GREY, GREY, LIGHT_GREEN, LIGHT_BLUE, LIGHT_GREY = range(8, 16)

# The logo's lower-case letters on a 5 x 9 grid (rows 7 and 8 are the descender).
LOGO_GLYPHS = {
    "p": [".....", ".....", "####.", "#...#", "#...#", "#...#", "####.", "#....", "#...."],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".####", ".....", "....."],
    "l": [".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###.", ".....", "....."],
    "t": ["..#..", "..#..", "#####", "..#..", "..#..", "..#..", "...##", ".....", "....."],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#....", ".....", "....."],
    "i": ["..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###.", ".....", "....."],
    "x": [".....", ".....", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", ".....", "....."],
}

# A small upper-case font on a 5 x 7 grid for the subtitle.
TEXT_GLYPHS = {
    " ": ["....."] * 7,
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    "6": ["..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."],
}

# One colour per font row of the logo: a sunset raster running down the letters.
LOGO_ROW_COLOURS = [WHITE, WHITE, YELLOW, YELLOW, LIGHT_GREEN, LIGHT_RED, LIGHT_RED, ORANGE, ORANGE]


def fill(pixels, x0, y0, w, h, colour):
    for y in range(max(0, y0), min(HEIGHT, y0 + h)):
        row = pixels[y]
        for x in range(max(0, x0), min(WIDTH, x0 + w)):
            row[x] = colour


def draw_glyph(pixels, glyph, x0, y0, scale, colour_of_row):
    for gy, line in enumerate(glyph):
        for gx, cell in enumerate(line):
            if cell == "#":
                fill(pixels, x0 + gx * scale, y0 + gy * scale, scale, scale, colour_of_row(gy))


def draw_text(pixels, text, x0, y0, scale, colour):
    for n, ch in enumerate(text):
        draw_glyph(pixels, TEXT_GLYPHS[ch], x0 + n * 6 * scale, y0, scale, lambda _: colour)


def draw_banner():
    pixels = [[BLUE] * WIDTH for _ in range(HEIGHT)]
    # Border lines in light blue, the colour of the C64's start-up screen frame.
    fill(pixels, 0, 0, WIDTH, 3, LIGHT_BLUE)
    fill(pixels, 0, HEIGHT - 3, WIDTH, 3, LIGHT_BLUE)

    # The logo: every letter first as a black drop shadow, then in its raster colours.
    scale, x, top = 7, 24, 7
    for letter in "peltrix":
        glyph = LOGO_GLYPHS[letter]
        draw_glyph(pixels, glyph, x + 3, top + 3, scale, lambda _: BLACK)
        draw_glyph(pixels, glyph, x, top, scale, lambda row: LOGO_ROW_COLOURS[row])
        x += 6 * scale

    # Subtitle and the sixteen colours the converter mixes.
    draw_text(pixels, "C64 INTERLACE CONVERTER", 360, 14, 2, LIGHT_GREY)
    fill(pixels, 356, 40, 16 * 26 + 6, 30, BLACK)
    for index in range(16):
        fill(pixels, 360 + index * 26, 44, 22, 22, index)

    # Three interleaved stripes at the right: the three frames the eye blends into one.
    for n, colour in enumerate([RED, GREEN, LIGHT_BLUE]):
        for y in range(10 + n * 2, HEIGHT - 10, 6):
            fill(pixels, 800, y, 160, 2, colour)
    return pixels


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def encode_rgb_png(width, height, rows):
    """An 8-bit RGB PNG of `rows`, each the bytes R, G, B of its pixels."""
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    raw = b"".join(b"\x00" + bytes(row) for row in rows)  # filter type 0 on every row
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header)
            + png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


def encode_png(pixels):
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 3, 0, 0, 0)  # 8-bit palette image
    palette = b"".join(struct.pack(">I", c)[1:] for c in PALETTE)
    raw = b"".join(b"\x00" + bytes(row) for row in pixels)  # filter type 0 on every row
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + png_chunk(b"PLTE", palette)
            + png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "assets/banner.png"
    with open(path, "wb") as out:
        out.write(encode_png(draw_banner()))


if __name__ == "__main__":
    main()
