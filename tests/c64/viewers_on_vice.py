#!/usr/bin/env python3
"""Runs the seven viewers on VICE's cycle-exact C64 and checks every captured frame.

For each viewer it builds a program file (load address $0800, viewer, C64 data) from
random frame pictures that obey the two-colours rule (per 8x8 cell, or per 8x2 band
for FLI), captures consecutive video frames with ../shared/tools/c64frames, the display
window and a few border rows above and below it, and compares them pixel for pixel, as
palette indices, with the frame pictures: every pixel is the frame pixel of its picture
line, or black where the viewer cannot show it (the sprite column, the lines no bad line
reaches, the border), and nothing else is black.

    viewers_on_vice.py --viewers DIR [--shared DIR] [--only NAME ...] [--keep DIR]

With --convert PELTRIX_CONVERT --photo PICTURE the pictures come from the converter
instead: it converts the photo in the matching mode into a .prg, its frame pictures
(--frames) and the pictures of what the C64 shows (--c64-frames), the captured frames are
checked against the frame pictures as above, and against the C64 pictures exactly.

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

# What each viewer shows, measured on x64sc and asserted here, PAL and NTSC alike. The
# display window is raster lines 51-250; the captures add ABOVE rows of border above it and
# BELOW rows below it, so captured row k is raster 51 - ABOVE + k.
#   first: raster of picture line 0; lines: picture lines 0 .. lines-1 show, the rest is
#   black; column: pixel columns 0 .. column-1 are black (the sprite column).
# standard and FLI: a bad line on every raster from 48 to 247, the first and the last on
#   which one can be forced: picture line y on raster 48 + y, lines 0-2 above the display
#   window (the viewers keep the border open); every other row is black, the open border
#   included. They lose the three leftmost character columns to the forced bad lines and
#   cover them with black sprites.
DISPLAY = {
    'whole': {'first': 51, 'lines': 200, 'column': 0},
    'mask': {'first': 51, 'lines': 200, 'column': 0},
    'standard': {'first': 48, 'lines': 200, 'column': 24},
    'fli': {'first': 48, 'lines': 200, 'column': 24},
}
# At least 4 border rows above and 8 below every viewer's picture lines: rasters 44-258.
ABOVE = 7
BELOW = 8
MASK_FRAMES = 6     # the photo run's mask captures: each frame under both checkerboards


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
    """Converts the photo for this viewer: the .prg path, the three frame pictures and the
    three pictures of what the C64 shows (peltrix's own display model)."""
    prefix = os.path.join(work, name)
    prg = prefix + '.prg'
    r = subprocess.run([convert, '-q'] + CONVERT_OPTIONS[name] +
                       [photo, prg, '--frames', prefix, '--c64-frames', prefix],
                       capture_output=True, text=True, timeout=1800)
    if r.returncode != 0:
        raise RuntimeError('peltrix-convert failed: ' + r.stderr.strip())
    mod = c64frames_module(tool)
    frames = [index_picture(mod, '%s-frame%d.png' % (prefix, k)) for k in (1, 2, 3)]
    shown = [index_picture(mod, '%s-c64-frame%d.png' % (prefix, k)) for k in (1, 2, 3)]
    return prg, frames, shown


def index_picture(mod, path):
    """A 320x200 PNG of palette colours as rows of palette indices."""
    index = {tuple(rgb): i for i, rgb in enumerate(mod.PALETTE)}
    w, h, rows = mod.read_png(path)
    if (w, h) != (320, 200):
        raise RuntimeError('%s is %dx%d' % (path, w, h))
    pic = []
    for row in rows:
        line = []
        for x in range(320):
            rgb = tuple(row[3 * x:3 * x + 3])
            if rgb not in index:
                raise RuntimeError('%s holds a non-palette colour %s' % (path, rgb))
            line.append(index[rgb])
        pic.append(line)
    return pic


# ---------------------------------------------------------------- capture

def capture(tool, prg, outdir, ntsc, frames=FRAMES, keep_raw=False):
    """Consecutive video frames, each 200 + ABOVE + BELOW rows of palette indices."""
    cmd = [sys.executable, tool, '--frames', str(frames), '--jobs', '1',
           '--start-cycles', '4500000', '--above', str(ABOVE), '--below', str(BELOW)]
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
            shot = [[int(ch, 16) for ch in line.rstrip('\n')] for line in f]
        if len(shot) != 200 + ABOVE + BELOW or any(len(row) != 320 for row in shot):
            raise RuntimeError('capture %s is not 320 x %d' % (fr['index_file'], 200 + ABOVE + BELOW))
        shots.append(shot)
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


def raster_of_row(k):
    return 51 - ABOVE + k


def first_difference(row, expected, x0=0):
    for x in range(x0, 320):
        if row[x] != expected[x]:
            return x
    return None


def check_border_black(i, shot):
    """The border rows above and below the display window are black."""
    for k, row in enumerate(shot):
        if not 0 <= raster_of_row(k) - 51 < 200:
            if any(row):
                raise Failure('video frame %d: border raster %d is not black (column %d)'
                              % (i, raster_of_row(k), first_difference(row, [0] * 320)))


def window(shot):
    return shot[ABOVE:ABOVE + 200]


def check_whole(shots, frames):
    """Every video frame is exactly one whole frame picture, cycling 3, 2, 1."""
    for i, shot in enumerate(shots):
        check_border_black(i, shot)
        check(any(window(shot) == f for f in frames),
              'video frame %d is not exactly one frame picture' % i)
    fits = [f0 for f0 in (1, 2, 3)
            if all(window(shot) == frames[rotated(f0, i) - 1] for i, shot in enumerate(shots))]
    f0 = only_one(fits, 'the sequence of whole frames')
    return [rotated(f0, i) for i in range(len(shots))], \
        'whole frames %s' % [rotated(f0, i) for i in range(len(shots))]


def check_lines(shots, frames, kind):
    """Standard and FLI viewers. Captured row k (raster R) shows picture line R - first:
    when that is one of the lines shown, its pixels right of the sprite column are exactly
    that line of one frame picture and the column is black; every other row is black. The
    frame goes 3, 2, 1 from line to line and from video frame to video frame. Returns the
    rotation (the frame on picture line 0 of each video frame), a description, and the
    number of picture lines that showed picture pixels in every video frame."""
    d = DISPLAY[kind]
    col = d['column']
    shown = []                  # per video frame: {picture line: frames that line matches}
    visible_lines = None
    for i, shot in enumerate(shots):
        lines = {}
        visible = set()
        for k, row in enumerate(shot):
            y = raster_of_row(k) - d['first']
            if not 0 <= y < d['lines']:
                what = 'picture line %d' % y if 0 <= y < 200 else 'border'
                if any(row):
                    raise Failure('video frame %d: raster %d (%s) is not black from column %d on'
                                  % (i, raster_of_row(k), what, first_difference(row, [0] * 320)))
                continue
            if any(row[:col]):
                raise Failure('video frame %d: sprite column not black on raster %d (picture '
                              'line %d)' % (i, raster_of_row(k), y))
            hits = {f + 1 for f in range(3) if row[col:] == frames[f][y][col:]}
            if not hits:
                worst = min(range(3), key=lambda f: sum(a != b for a, b in
                                                        zip(row[col:], frames[f][y][col:])))
                raise Failure('video frame %d: raster %d matches no frame picture\'s line %d '
                              '(torn, jittered or misplaced); nearest frame %d differs from '
                              'column %d on' % (i, raster_of_row(k), y, worst + 1,
                                                first_difference(row, frames[worst][y], col)))
            lines[y] = hits
            if any(row[col:]):
                visible.add(y)
        shown.append(lines)
        visible_lines = visible if visible_lines is None else visible_lines & visible
    fits = [f0 for f0 in (1, 2, 3)
            if all(rotated(f0, i + y) in hits
                   for i, lines in enumerate(shown) for y, hits in lines.items())]
    if not fits:
        for i, lines in enumerate(shown):
            for y in range(1, d['lines']):
                check(any(rotated(a, 1) in lines[y] for a in lines[y - 1]),
                      'video frame %d: picture lines %d and %d do not follow the 3, 2, 1 '
                      'rotation' % (i, y - 1, y))
    f0 = only_one(fits, 'the frames on the lines')
    count = len(visible_lines)
    span = '%d-%d' % (min(visible_lines), max(visible_lines)) if visible_lines else 'none'
    return ([rotated(f0, i) for i in range(len(shots))], count,
            'picture line y on raster %d + y, %d lines shown (%s), columns 0-%d black; line 0 '
            'shows frames %s' % (d['first'], count, span, col - 1,
                                 [rotated(f0, i) for i in range(len(shots))]))


def masked(pic, phase):
    """pic under the 2 x 1 checkerboard of black: pixel pairs where (x / 2 + y + phase) is even."""
    return [[0 if ((x >> 1) + y + phase) & 1 == 0 else row[x] for x in range(320)]
            for y, row in enumerate(pic)]


def check_mask(shots, frames):
    """Whole frames 3, 2, 1 under a 2 x 1 checkerboard of black that inverts every frame."""
    views = {(f + 1, p): masked(frames[f], p) for f in range(3) for p in range(2)}
    for i, shot in enumerate(shots):
        check_border_black(i, shot)
        check(any(window(shot) == v for v in views.values()),
              'video frame %d is not a frame picture under the checkerboard' % i)
    fits = [(f0, p0) for f0 in (1, 2, 3) for p0 in (0, 1)
            if all(window(shot) == views[(rotated(f0, i), (p0 + i) & 1)]
                   for i, shot in enumerate(shots))]
    f0, p0 = only_one(fits, 'the sequence of masked frames')
    phases = [(p0 + i) & 1 for i in range(len(shots))]
    return ([rotated(f0, i) for i in range(len(shots))], phases,
            'frames %s, checkerboard phases %s' % ([rotated(f0, i) for i in range(len(shots))],
                                                   phases))


def kind_of(name):
    return name.split('_')[0]


def check_viewer(name, shots, frames):
    """The checks against the frame pictures; returns (rotation, extra, description)."""
    kind = kind_of(name)
    if kind == 'whole':
        rotation, text = check_whole(shots, frames)
        return rotation, None, text
    if kind == 'mask':
        return check_mask(shots, frames)
    rotation, count, text = check_lines(shots, frames, kind)
    return rotation, count, text


def check_model(name, shots, rotation, phases, shown):
    """peltrix's pictures of what the C64 shows (--c64-frames) against the captures, pixel
    for pixel: a whole-frame capture is the picture of its frame; a mask capture under the
    model's checkerboard (phase 0) is the picture of its frame, and every frame is seen so;
    a line viewer's captured row shows, at its picture line, the row of the picture of the
    frame on that line, black columns and black lines included."""
    kind = kind_of(name)
    first = DISPLAY[kind]['first']
    compared = set()
    for i, shot in enumerate(shots):
        if kind == 'mask' and phases[i] != 0:
            continue
        for k, row in enumerate(shot):
            y = raster_of_row(k) - first
            if kind in ('whole', 'mask'):
                f = rotation[i]
            else:
                f = rotated(rotation[i], y)
            expected = shown[f - 1][y] if 0 <= y < 200 else [0] * 320
            if row != expected:
                raise Failure('video frame %d, raster %d: the C64 picture of frame %d (%s) '
                              'differs from column %d on'
                              % (i, raster_of_row(k), f, 'line %d' % y if 0 <= y < 200
                                 else 'border', first_difference(row, expected)))
        compared.add(rotation[i])
    check(compared == {1, 2, 3}, 'the C64 pictures of frames %s were compared with no capture'
          % sorted({1, 2, 3} - compared))


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
                shown = None
                if args.convert:
                    prg, frames, shown = converted(args.convert, args.photo, name, work, tool)
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
                count = MASK_FRAMES if shown and kind_of(name) == 'mask' else FRAMES
                shots = capture(tool, prg, os.path.join(work, name), ntsc, frames=count)
                rotation, extra, text = check_viewer(name, shots, frames)
                if kind_of(name) in ('standard', 'fli') and not args.convert:
                    # Random pictures never have a black line: every line shown is seen.
                    check(extra == DISPLAY[kind_of(name)]['lines'],
                          '%d picture lines shown, not %d' % (extra, DISPLAY[kind_of(name)]['lines']))
                if shown:
                    check_model(name, shots, rotation, extra if kind_of(name) == 'mask' else None,
                                shown)
                    text += '; the C64 pictures match'
                print('%s: ok (%s)' % (name, text))
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
