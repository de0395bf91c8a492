#!/usr/bin/env python3
"""Computes a conversion's quality report on its own, from pictures, to cross-check the
converter's (src/output/quality.cpp) within 0.05:

  scripts/quality_check.py SOURCE.png FRAME1.png FRAME2.png FRAME3.png
  scripts/quality_check.py SOURCE.png PREFIX        (PREFIX-frame1.png .. -frame3.png)

SOURCE is the 320 x 200 picture the conversion aimed at (framed and toned); the frames are
what peltrix-convert --frames PREFIX writes, in palette colours. It prints the four figures:

  errorMean, errorP95  CIEDE2000 between source and eye view (the frames' mean light), both
                       blurred in linear light by a Gaussian of sigma 1 (radius 3, weights
                       renormalised at the edges), taken to sRGB and then to CIELAB (D65);
                       mean and nearest-rank 95th percentile over all pixels
  flickerMean,         |Y1 + w Y2 + w^2 Y3| / 3, w = e^(2 pi i / 3), of each frame's blurred
  flickerShareAbove002 linear luminance (Rec. 709 weights); mean, and share above 0.02

Only numpy (Debian's python3-numpy) and the standard library: the PNG reader below takes
the non-interlaced 8-bit files the converter writes (and grey, palette, 16-bit and alpha
ones, the alpha ignored).
"""
import struct
import sys
import zlib

import numpy as np

WIDTH, HEIGHT = 320, 200


def read_png(path: str) -> np.ndarray:
    """The picture as an array of 8-bit R, G, B codes, shape (height, width, 3)."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG file")
    pos, idat, palette = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = np.frombuffer(body, np.uint8).reshape(-1, 3)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    if interlace:
        sys.exit(f"{path}: interlaced PNG files are not read")
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
    bits = channels * depth
    stride, step = (width * bits + 7) // 8, max(1, bits // 8)
    raw = np.frombuffer(zlib.decompress(idat), np.uint8).reshape(height, stride + 1)
    rows = np.zeros((height, stride), np.int32)
    previous = np.zeros(stride, np.int32)
    for y in range(height):
        kind, line = raw[y, 0], raw[y, 1:].astype(np.int32)
        if kind == 0:
            row = line
        elif kind == 2:
            row = (line + previous) & 0xFF
        else:
            row = np.zeros(stride, np.int32)
            for i in range(stride):
                left = row[i - step] if i >= step else 0
                up, corner = previous[i], previous[i - step] if i >= step else 0
                if kind == 1:
                    predicted = left
                elif kind == 3:
                    predicted = (left + up) // 2
                else:  # Paeth
                    p = left + up - corner
                    pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                    predicted = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                row[i] = (line[i] + predicted) & 0xFF
        rows[y], previous = row, row
    if depth == 16:
        samples = rows[:, 0::2]  # the high bytes
    elif depth == 8:
        samples = rows
    else:
        shifts = np.arange(8 - depth, -1, -depth)
        samples = ((rows[:, :, None] >> shifts) & ((1 << depth) - 1)).reshape(height, -1)
    samples = samples[:, :width * channels].reshape(height, width, channels)
    if colour == 3:
        return palette[samples[:, :, 0]].astype(np.int32)
    if depth < 8:
        samples = samples * 255 // ((1 << depth) - 1)
    return samples[:, :, [0, 0, 0]] if channels <= 2 else samples[:, :, :3]


def eotf(codes: np.ndarray) -> np.ndarray:
    x = codes / 255.0
    return np.where(x <= 0.04045, x / 12.92, ((x + 0.055) / 1.055) ** 2.4)


def oetf(light: np.ndarray) -> np.ndarray:
    light = np.clip(light, 0, 1)
    return np.where(light <= 0.0031308, light * 12.92, 1.055 * light ** (1 / 2.4) - 0.055)


def blur(plane: np.ndarray) -> np.ndarray:
    """Gaussian of sigma 1, radius 3, over the last two axes; edges renormalised by blurring
    a plane of ones the same way (zeros outside)."""
    taps = np.exp(-0.5 * np.arange(-3, 4) ** 2)

    def separable(p):
        p = np.pad(p, [(0, 0)] * (p.ndim - 2) + [(3, 3), (3, 3)])
        h, w = p.shape[-2] - 6, p.shape[-1] - 6
        rows = sum(t * p[..., :, d:d + w] for d, t in enumerate(taps))
        return sum(t * rows[..., d:d + h, :] for d, t in enumerate(taps))

    return separable(plane) / separable(np.ones(plane.shape[-2:]))


def rgb_to_xyz_normalised() -> np.ndarray:
    """Rows X / Xn, Y / Yn, Z / Zn of linear sRGB, from the primaries and D65 white."""
    def xyz(x, y):
        return np.array([x / y, 1.0, (1 - x - y) / y])

    primaries = np.stack([xyz(0.64, 0.33), xyz(0.30, 0.60), xyz(0.15, 0.06)], axis=1)
    white = xyz(0.3127, 0.3290)
    scale = np.linalg.solve(primaries, white)
    return primaries * scale / white[:, None]


def lab(light: np.ndarray) -> np.ndarray:
    """CIELAB of linear light (3, h, w), by way of its sRGB encoding."""
    light = eotf(oetf(light) * 255)
    t = np.tensordot(rgb_to_xyz_normalised(), light, axes=1)
    f = np.where(t > (6 / 29) ** 3, np.cbrt(t), t / (3 * (6 / 29) ** 2) + 4 / 29)
    return np.stack([116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])])


def ciede2000(p: np.ndarray, q: np.ndarray) -> np.ndarray:
    (l1, a1, b1), (l2, a2, b2) = p, q
    c7 = ((np.hypot(a1, b1) + np.hypot(a2, b2)) / 2) ** 7
    g = 0.5 * (1 - np.sqrt(c7 / (c7 + 25.0 ** 7)))
    a1, a2 = a1 * (1 + g), a2 * (1 + g)
    c1, c2 = np.hypot(a1, b1), np.hypot(a2, b2)
    h1 = np.degrees(np.arctan2(b1, a1)) % 360
    h2 = np.degrees(np.arctan2(b2, a2)) % 360
    neutral = c1 * c2 == 0
    dh = h2 - h1
    half_turn = 180 + 1e-9  # opposite hues take the first branch whatever atan2's last bit
    dh = np.where(dh > half_turn, dh - 360, np.where(dh < -half_turn, dh + 360, dh))
    dh = np.where(neutral, 0, dh)
    big_h = 2 * np.sqrt(c1 * c2) * np.sin(np.radians(dh / 2))
    mean_l, mean_c = (l1 + l2) / 2, (c1 + c2) / 2
    mean_h = h1 + h2
    mean_h = np.where(neutral, mean_h,
                      np.where(np.abs(h1 - h2) <= half_turn, mean_h / 2,
                               np.where(mean_h < 360, (mean_h + 360) / 2, (mean_h - 360) / 2)))
    rad = np.radians
    t = (1 - 0.17 * np.cos(rad(mean_h - 30)) + 0.24 * np.cos(rad(2 * mean_h)) +
         0.32 * np.cos(rad(3 * mean_h + 6)) - 0.20 * np.cos(rad(4 * mean_h - 63)))
    theta = 30 * np.exp(-(((mean_h - 275) / 25) ** 2))
    rc = 2 * np.sqrt(mean_c ** 7 / (mean_c ** 7 + 25.0 ** 7))
    sl = 1 + 0.015 * (mean_l - 50) ** 2 / np.sqrt(20 + (mean_l - 50) ** 2)
    sc, sh = 1 + 0.045 * mean_c, 1 + 0.015 * mean_c * t
    rt = -np.sin(rad(2 * theta)) * rc
    dl, dc, dhh = (l2 - l1) / sl, (c2 - c1) / sc, big_h / sh
    return np.sqrt(dl ** 2 + dc ** 2 + dhh ** 2 + rt * dc * dhh)


def report(source: np.ndarray, frames: list) -> dict:
    light = [eotf(f).transpose(2, 0, 1) for f in frames]  # each (3, h, w)
    eye = blur(sum(light) / 3)
    original = blur(eotf(source).transpose(2, 0, 1))
    error = ciede2000(lab(original), lab(eye)).ravel()
    rank = -(-95 * error.size // 100)  # nearest rank: ceil(0.95 n)
    weights = np.array([0.2126, 0.7152, 0.0722])
    y = [blur(np.tensordot(weights, f, axes=1)) for f in light]
    w = np.exp(2j * np.pi / 3)
    flicker = np.abs(y[0] + w * y[1] + w * w * y[2]) / 3
    return {
        "errorMean": error.mean(),
        "errorP95": np.sort(error)[rank - 1],
        "flickerMean": flicker.mean(),
        "flickerShareAbove002": (flicker > 0.02).mean(),
    }


def main(argv: list) -> None:
    if len(argv) == 3:
        argv = argv[:2] + [f"{argv[2]}-frame{k}.png" for k in (1, 2, 3)]
    if len(argv) != 5:
        sys.exit(__doc__.strip().split("\n\n")[1])
    pictures = [read_png(path) for path in argv[1:]]
    for path, picture in zip(argv[1:], pictures):
        if picture.shape[:2] != (HEIGHT, WIDTH):
            sys.exit(f"{path}: {picture.shape[1]} x {picture.shape[0]} pixels, not 320 x 200")
    for name, value in report(pictures[0], pictures[1:]).items():
        print(f"{name} {value:.4f}")


if __name__ == "__main__":
    main(sys.argv)
