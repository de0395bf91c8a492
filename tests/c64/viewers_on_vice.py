#!/usr/bin/env python3
"""Runs the seven viewers on VICE's cycle-exact C64 and checks every captured frame.

For each viewer it builds a program file (load address $0800, viewer, C64 data) from
random frame pictures that obey the two-colours rule (per 8x8 cell, or per 8x2 band
for FLI), captures consecutive video frames with ../shared/tools/c64frames and
compares them pixel for pixel, as palette indices, with the frame pictures.

    viewers_on_vice.py --viewers DIR [--shared DIR] [--only NAME ...] [--keep DIR]

With --convert PELTRIX_CONVERT --photo PICTURE the pictures come from the converter
instead: it converts the photo in the matching mode into a .prg and its frame pictures
(--frames), and the captured frames are compared with those.

DIR holds the assembled viewers (<name>.bin). Exit status 0 = pass, 1 = fail,
77 = skipped (x64sc, Xvfb or the shared folder missing).
"""
import argparse
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
FRAMES = 4                      # captured video frames per viewer

# run name: (viewer file, data form, NTSC model?, viewer length)
VIEWERS = {
    'whole_pal': ('whole', 'nonfli', False, 4096),
    'whole_ntsc': ('whole', 'nonfli', True, 4096),
    'standard_pal': ('standard_pal', 'nonfli', False, 4096),
    'standard_ntsc': ('standard_ntsc', 'nonfli', True, 4096),
    'fli_pal': ('fli_pal', 'fli', False, 4608),
    'fli_ntsc': ('fli_ntsc', 'fli', True, 4864),
    'mask_pal': ('mask_pal', 'nonfli', False, 4096),
    'mask_ntsc': ('mask_ntsc', 'nonfli', True, 4096),
}

# peltrix-convert options that select each viewer (the photo run)
CONVERT_OPTIONS = {
    'whole_pal': ['--no-fli', '--super-flicker'],
    'whole_ntsc': ['--no-fli', '--super-flicker', '--ntsc'],
    'standard_pal': ['--no-fli'],
    'standard_ntsc': ['--no-fli', '--ntsc'],
    'fli_pal': [],
    'fli_ntsc': ['--ntsc'],
    'mask_pal': ['--no-fli', '--ass-lace'],
    'mask_ntsc': ['--no-fli', '--ass-lace', '--ntsc'],
}

# What the line viewers show, measured on x64sc and asserted here. The display window
# is raster lines 51-250 (window row r = raster 51 + r).
# standard: picture line y on raster 51 + y; black from raster 248 (picture line 197), where
#   no bad line can be forced.
# FLI: picture line y on raster 50 + y; window row r shows picture line r + 1; black from
#   raster 248 (picture line 198, window row 197).
FIRST_PICTURE_RASTER = {'standard': 51, 'fli': 50}
BLACK_FROM_ROW = {'standard': 197, 'fli': 197}


# ---------------------------------------------------------------- pictures and data

def random_frames(rng, band_rows):
    """Three 320x200 pictures of palette indices, two colours per 8 x band_rows region."""
    frames = []
    for _ in range(3):
        pic = [[0] * 320 for _ in range(200)]
        for y0 in range(0, 200, band_rows):
            for cx in range(40):
                a, b = rng.randrange(16), rng.randrange(16)
                for y in range(y0, y0 + band_rows):
                    row = pic[y]
                    bits = rng.getrandbits(8)
                    for c in range(8):
                        row[cx * 8 + c] = a if bits >> c & 1 else b
        frames.append(pic)
    return frames


def region_colours(pic, x0, rows):
    """First colour: the top-left pixel; second: the last pixel that differs, else 0."""
    first, second = pic[rows[0]][x0], 0
    for y in rows:
        for c in range(8):
            if pic[y][x0 + c] != first:
                second = pic[y][x0 + c]
    return first, second


def assemble(frames, fli):
    """The C64 data of the three frames: non-FLI 27,648 bytes, FLI 36,864 bytes."""
    block = 0x3000 if fli else 0x2400
    bitmap_at = 0x1000 if fli else 0x400
    band_screen = (0x400, 0x800, 0xC00, 0x000)
    data = bytearray(3 * block)
    for f, pic in enumerate(frames):
        base = f * block
        for cy in range(25):
            for cx in range(40):
                bands = [(b, [cy * 8 + 2 * b, cy * 8 + 2 * b + 1]) for b in range(4)] if fli \
                    else [(None, list(range(cy * 8, cy * 8 + 8)))]
                for b, rows in bands:
                    first, second = region_colours(pic, cx * 8, rows)
                    screen = base + (band_screen[b] if fli else 0)
                    data[screen + cy * 40 + cx] = first << 4 | second
                    for y in rows:
                        byte = 0
                        for c in range(8):
                            if pic[y][cx * 8 + c] == first:
                                byte |= 0x80 >> c
                        data[base + bitmap_at + cy * 320 + cx * 8 + (y & 7)] = byte
    return bytes(data)


def program_file(viewer, data):
    return bytes([0x00, 0x08]) + viewer + data


def c64frames_module(tool):
    """c64frames itself, for its PNG reader and palette."""
    import importlib.machinery
    import importlib.util
    loader = importlib.machinery.SourceFileLoader('c64frames_mod', tool)
    spec = importlib.util.spec_from_loader('c64frames_mod', loader)
    mod = importlib.util.module_from_spec(spec)
    loader.exec_module(mod)
    return mod


def converted(convert, photo, name, work, tool):
    """Converts the photo for this viewer: the .prg path and the three frame pictures."""
    prefix = os.path.join(work, name)
    prg = prefix + '.prg'
    r = subprocess.run([convert, '-q'] + CONVERT_OPTIONS[name] + [photo, prg, '--frames', prefix],
                       capture_output=True, text=True, timeout=1800)
    if r.returncode != 0:
        raise RuntimeError('peltrix-convert failed: ' + r.stderr.strip())
    mod = c64frames_module(tool)
    index = {tuple(rgb): i for i, rgb in enumerate(mod.PALETTE)}
    frames = []
    for k in (1, 2, 3):
        w, h, rows = mod.read_png('%s-frame%d.png' % (prefix, k))
        if (w, h) != (320, 200):
            raise RuntimeError('frame picture %d is %dx%d' % (k, w, h))
        pic = []
        for row in rows:
            line = []
            for x in range(320):
                rgb = tuple(row[3 * x:3 * x + 3])
                if rgb not in index:
                    raise RuntimeError('frame picture %d holds a non-palette colour %s' % (k, rgb))
                line.append(index[rgb])
            pic.append(line)
        frames.append(pic)
    return prg, frames


# ---------------------------------------------------------------- capture

def capture(tool, prg, outdir, ntsc, frames=FRAMES, keep_raw=False):
    cmd = [sys.executable, tool, '--frames', str(frames), '--jobs', '1',
           '--start-cycles', '4500000']
    if ntsc:
        cmd.append('--ntsc')
    if keep_raw:
        cmd.append('--keep-raw')
    r = subprocess.run(cmd + [prg, outdir], capture_output=True, text=True, timeout=900)
    if r.returncode != 0:
        raise RuntimeError('c64frames failed: ' + r.stderr.strip())
    with open(os.path.join(outdir, 'frames.json')) as f:
        info = json.load(f)
    shots = []
    for fr in info['frames']:
        with open(os.path.join(outdir, fr['index_file'])) as f:
            shots.append([[int(ch, 16) for ch in line.rstrip('\n')] for line in f])
    return shots


# ---------------------------------------------------------------- checks

class Failure(Exception):
    pass


def check(cond, msg):
    if not cond:
        raise Failure(msg)


def rotated(first, steps):
    """The frame shown `steps` lines or video frames after frame `first`: 3, 2, 1, 3, ..."""
    return (first - 1 - steps) % 3 + 1


def only_one(candidates, what):
    check(candidates, what + ' matches no consistent frame rotation')
    check(len(candidates) == 1, what + ' is ambiguous: %s' % candidates)
    return candidates[0]


def check_whole(shots, frames):
    """Every video frame is exactly one whole frame picture, cycling 3, 2, 1."""
    for i, shot in enumerate(shots):
        check(any(shot == f for f in frames), 'video frame %d is not exactly one frame picture' % i)
    fits = [f0 for f0 in (1, 2, 3)
            if all(shot == frames[rotated(f0, i) - 1] for i, shot in enumerate(shots))]
    f0 = only_one(fits, 'the sequence of whole frames')
    return 'whole frames %s' % [rotated(f0, i) for i in range(len(shots))]


def check_lines(shots, frames, kind, sprite_cols, x0):
    """Standard and FLI viewers: on every picture line the pixels right of the sprite column
    are that line of one frame picture; the frame goes 3, 2, 1 from line to line and from
    video frame to video frame; the sprite column and the bottom lines are black."""
    black_from = BLACK_FROM_ROW[kind]
    offset = 51 - FIRST_PICTURE_RASTER[kind]
    shown = []                  # per video frame and line: the frames that line matches
    for i, shot in enumerate(shots):
        lines = []
        for y in range(200):
            row = shot[y]
            if y >= black_from:
                check(all(v == 0 for v in row), 'video frame %d: row %d is not black' % (i, y))
                continue
            check(all(row[x] == 0 for x in sprite_cols),
                  'video frame %d: sprite column not black on row %d' % (i, y))
            hits = {f + 1 for f in range(3) if row[x0:] == frames[f][y + offset][x0:]}
            check(hits, 'video frame %d: row %d matches no line %d of a frame picture '
                  '(torn, jittered or misplaced)' % (i, y, y + offset))
            lines.append(hits)
        shown.append(lines)
    fits = [f0 for f0 in (1, 2, 3)
            if all(rotated(f0, i + y) in hits
                   for i, lines in enumerate(shown) for y, hits in enumerate(lines))]
    if not fits:
        for i, lines in enumerate(shown):
            for y in range(1, len(lines)):
                check(any(rotated(a, 1) in lines[y] for a in lines[y - 1]),
                      'video frame %d: rows %d and %d do not follow the 3, 2, 1 rotation'
                      % (i, y - 1, y))
    f0 = only_one(fits, 'the frames on the lines')
    return ('window row r shows picture line r + %d; row 0 shows frames %s; rows %d-199 black'
            % (offset, [rotated(f0, i) for i in range(len(shots))], black_from))


def masked(pic, phase):
    """pic under the 2 x 1 checkerboard of black: pixel pairs where (x / 2 + y + phase) is even."""
    return [[0 if ((x >> 1) + y + phase) & 1 == 0 else row[x] for x in range(320)]
            for y, row in enumerate(pic)]


def check_mask(shots, frames):
    """Whole frames 3, 2, 1 under a 2 x 1 checkerboard of black that inverts every frame."""
    views = {(f + 1, p): masked(frames[f], p) for f in range(3) for p in range(2)}
    for i, shot in enumerate(shots):
        check(any(shot == v for v in views.values()),
              'video frame %d is not a frame picture under the checkerboard' % i)
    fits = [(f0, p0) for f0 in (1, 2, 3) for p0 in (0, 1)
            if all(shot == views[(rotated(f0, i), (p0 + i) & 1)] for i, shot in enumerate(shots))]
    f0, p0 = only_one(fits, 'the sequence of masked frames')
    return 'frames %s, checkerboard phases %s' % ([rotated(f0, i) for i in range(len(shots))],
                                                 [(p0 + i) & 1 for i in range(len(shots))])


def check_viewer(name, shots, frames):
    if name.startswith('whole'):
        return check_whole(shots, frames)
    if name.startswith('mask'):
        return check_mask(shots, frames)
    kind = 'fli' if name.startswith('fli') else 'standard'
    return check_lines(shots, frames, kind, range(0, 24), 24)


# ---------------------------------------------------------------- main

def main(argv=None):
    ap = argparse.ArgumentParser()
    ap.add_argument('--viewers', required=True, help='folder with the assembled <name>.bin')
    ap.add_argument('--shared', default=os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                     '..', '..', '..', 'shared'))
    ap.add_argument('--only', nargs='*')
    ap.add_argument('--keep', help='keep the programs and captures in this folder')
    ap.add_argument('--seed', type=int, default=64)
    ap.add_argument('--convert', help='peltrix-convert: take the pictures from a converted photo')
    ap.add_argument('--photo', help='the photo for --convert')
    args = ap.parse_args(argv)

    tool = os.path.join(args.shared, 'tools', 'c64frames')
    for need in ('x64sc', 'Xvfb'):
        if not shutil.which(need):
            print('skipped: %s is not installed' % need)
            return SKIP
    if not os.path.isfile(tool):
        print('skipped: %s is missing' % tool)
        return SKIP
    if args.convert and not (args.photo and os.path.isfile(args.photo)):
        print('skipped: the photo %s is missing' % args.photo)
        return SKIP
    if args.convert and not os.path.isfile(args.convert):
        print('skipped: %s is not built' % args.convert)
        return SKIP

    work = args.keep or tempfile.mkdtemp(prefix='peltrix-viewers.')
    os.makedirs(work, exist_ok=True)
    rng = random.Random(args.seed)
    failed = []
    try:
        for name in args.only or VIEWERS:
            binary, form, ntsc, length = VIEWERS[name]
            with open(os.path.join(args.viewers, binary + '.bin'), 'rb') as f:
                viewer = f.read()
            if len(viewer) != length:
                failed.append(name)
                print('%s: FAIL viewer is %d bytes, not %d' % (name, len(viewer), length))
                continue
            try:
                if args.convert:
                    prg, frames = converted(args.convert, args.photo, name, work, tool)
                    with open(prg, 'rb') as f:
                        written = f.read()
                    data_size = 36864 if form == 'fli' else 27648
                    check(written[:2] == bytes([0x00, 0x08]), 'load address is not $0800')
                    check(written[2:2 + length] == viewer, 'the program file holds another viewer')
                    check(len(written) == 2 + length + data_size,
                          'program file is %d bytes' % len(written))
                else:
                    frames = random_frames(rng, 2 if form == 'fli' else 8)
                    prg = os.path.join(work, name + '.prg')
                    with open(prg, 'wb') as f:
                        f.write(program_file(viewer, assemble(frames, form == 'fli')))
                shots = capture(tool, prg, os.path.join(work, name), ntsc)
                print('%s: ok (%s)' % (name, check_viewer(name, shots, frames)))
            except (Failure, RuntimeError) as e:
                failed.append(name)
                print('%s: FAIL %s' % (name, e))
            sys.stdout.flush()
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
