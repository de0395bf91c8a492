#!/usr/bin/env python3
"""Draws the peltrix icon in the banner's style (C64 colours: the logo's "p" in its sunset
raster with a black drop shadow, and the three interleaved frame stripes) at any size, and
writes it as a PNG or as a 24-bit Windows icon.

Uses only the Python standard library, so the icons can be remade anywhere:
    python3 scripts/make_icon.py 48 assets/icons/peltrix-48.png
    python3 scripts/make_icon.py 50 assets/peltrix.ico          # the Windows program's icon
"""
import struct
import sys

from make_banner import (BLACK, BLUE, GREEN, LIGHT_BLUE, LOGO_GLYPHS, LOGO_ROW_COLOURS,
                         PALETTE, RED, encode_rgb_png)

UNITS = 50  # the drawing is laid out on a 50 x 50 grid and sampled at the size asked for

# (x, y, width, height, colour) in grid units, later shapes over earlier ones.
def shapes():
    out = [(0, 0, UNITS, UNITS, LIGHT_BLUE), (2, 2, UNITS - 4, UNITS - 4, BLUE)]
    # Three interleaved stripes at the right: the three frames the eye blends into one.
    for n, colour in enumerate([RED, GREEN, LIGHT_BLUE]):
        for y in range(7 + n * 2, 43, 6):
            out.append((36, y, 9, 2, colour))
    # The logo's "p" without its empty top rows: shadow first, then the raster colours.
    glyph = LOGO_GLYPHS["p"][2:]
    cell, x0, y0 = 5, 6, 6
    for dx, dy, shadow in ((2, 2, True), (0, 0, False)):
        for gy, line in enumerate(glyph):
            for gx, mark in enumerate(line):
                if mark == "#":
                    colour = BLACK if shadow else LOGO_ROW_COLOURS[gy + 2]
                    out.append((x0 + gx * cell + dx, y0 + gy * cell + dy, cell, cell, colour))
    return out


def draw_icon(size):
    """Rows of C64 colour indices, size x size, each pixel sampled at its centre."""
    layout = shapes()
    rows = []
    for py in range(size):
        v = (py + 0.5) * UNITS / size
        row = []
        for px in range(size):
            u = (px + 0.5) * UNITS / size
            colour = BLACK
            for x, y, w, h, c in layout:
                if x <= u < x + w and y <= v < y + h:
                    colour = c
            row.append(colour)
        rows.append(row)
    return rows


def rgb(index):
    c = PALETTE[index]
    return (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF


def encode_png(rows):
    size = len(rows)
    return encode_rgb_png(size, size, (b"".join(bytes(rgb(i)) for i in row) for row in rows))


def encode_ico(rows):
    """One 24-bit image: a BITMAPINFOHEADER, bottom-up BGR rows, an all-opaque AND mask."""
    size = len(rows)
    stride = (size * 3 + 3) & ~3
    mask_stride = ((size + 31) // 32) * 4
    pixels = b""
    for row in reversed(rows):
        line = b"".join(bytes(reversed(rgb(i))) for i in row)
        pixels += line + b"\x00" * (stride - len(line))
    mask = b"\x00" * (mask_stride * size)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0, len(pixels) + len(mask),
                       0, 0, 0, 0)
    image = info + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 24, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_icon.py SIZE OUTPUT.png|OUTPUT.ico")
    size, path = int(sys.argv[1]), sys.argv[2]
    rows = draw_icon(size)
    data = encode_ico(rows) if path.lower().endswith(".ico") else encode_png(rows)
    with open(path, "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
