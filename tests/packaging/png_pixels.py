"""Reads a PNG's size and pixels with the standard library alone (8-bit RGB, RGBA, grey or
palette, not interlaced): enough to compare pictures by content rather than by their bytes,
which differ between zlib versions."""
import struct
import zlib

CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}


def chunks(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos = 8
    while pos < len(data):
        length, = struct.unpack(">I", data[pos:pos + 4])
        yield data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        pos += 12 + length


def size(path):
    """(width, height, bit depth, colour type) from the header."""
    with open(path, "rb") as f:
        kind, body = next(chunks(f.read()))
    if kind != b"IHDR":
        raise ValueError(f"{path}: the first chunk is not IHDR")
    return struct.unpack(">IIBB", body[:10])


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else (b if pb <= pc else c)


def pixels(path):
    """The rows of RGB triples."""
    with open(path, "rb") as f:
        data = f.read()
    width = height = depth = colour = interlace = None
    palette, compressed = [], b""
    for kind, body in chunks(data):
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b"IDAT":
            compressed += body
    if depth != 8 or interlace != 0 or colour not in CHANNELS:
        raise ValueError(f"{path}: only 8-bit, non-interlaced pictures are read here")
    bpp = CHANNELS[colour]
    stride = width * bpp
    raw = zlib.decompress(compressed)
    previous = bytearray(stride)
    rows = []
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up, corner = previous[i], (previous[i - bpp] if i >= bpp else 0)
            line[i] = (line[i] + (0, left, up, (left + up) // 2, paeth(left, up, corner))[kind]) & 0xFF
        previous = line
        if colour == 3:
            rows.append([palette[v] for v in line])
        elif colour in (0, 4):
            rows.append([(line[i],) * 3 for i in range(0, stride, bpp)])
        else:
            rows.append([tuple(line[i:i + 3]) for i in range(0, stride, bpp)])
    return rows
