#!/usr/bin/env python3
"""Runs the seven viewers on VICE's cycle-exact C64 and checks every captured frame.

For each viewer it builds a program file (load address $0800, viewer, C64 data) from
random frame pictures that obey the two-colours rule (per 8x8 cell, or per 8x2 band
for FLI), captures consecutive video frames with ../shared/tools/c64frames and
compares them pixel for pixel, as palette indices, with the frame pictures.

    viewers_on_vice.py --viewers DIR [--shared DIR] [--only NAME ...] [--keep DIR]
    viewers_on_vice.py --viewers DIR --convert PELTRIX_CONVERT --photo JPG   (real photo)

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

# name: (data form, NTSC?, viewer length)
VIEWERS = {
    'whole': ('nonfli', False, 4096),
    'standard_pal': ('nonfli', False, 4096),
    'standard_ntsc': ('nonfli', True, 4096),
    'fli_pal': ('fli', False, 4608),
    'fli_ntsc': ('fli', True, 4864),
    'mask_pal': ('nonfli', False, 4096),
    'mask_ntsc': ('nonfli', True, 4096),
}

# What the line viewers show, measured on x64sc and asserted here. The display window
# is raster lines 51-250 (window row r = raster 51 + r).
# standard: picture line y on raster 51 + y; the black steps (rasters 245-247) and the
#   lines below, where no bad line can be forced, hide picture lines 194-199.
# FLI: picture line y on raster 50 + y (line 0 is under the top border); window row r
#   shows picture line r + 1; black from raster 247 (picture line 197, window row 196).
FIRST_PICTURE_RASTER = {'standard': 51, 'fli': 50}
BLACK_FROM_ROW = {'standard': 194, 'fli': 196}


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


def frame_of_line(shot_row, frames, y, x0):
    """Which frame (1..3) shot_row shows right of x0, exactly; None if none."""
    hits = [f + 1 for f in range(3) if shot_row[x0:] == frames[f][y][x0:]]
    return hits[0] if len(hits) == 1 else None


def check_whole(shots, frames):
    seq = []
    for i, shot in enumerate(shots):
        hit = [f + 1 for f in range(3) if shot == frames[f]]
        check(len(hit) == 1, 'video frame %d is not exactly one whole frame picture' % i)
        seq.append(hit[0])
    for a, b in zip(seq, seq[1:]):
        check(b == (a + 1) % 3 + 1, 'whole frames do not cycle 3, 2, 1: %s' % seq)
    return 'whole frames %s' % seq


def check_lines(shots, frames, kind, sprite_cols, x0):
    """Standard and FLI viewers: a different frame on every line, advancing every video frame."""
    black_from = BLACK_FROM_ROW[kind]
    offset = 51 - FIRST_PICTURE_RASTER[kind]
    maps = []
    for i, shot in enumerate(shots):
        shown = []
        for y in range(200):
            row = shot[y]
            if y >= black_from:
                check(all(v == 0 for v in row), 'video frame %d: line %d is not black' % (i, y))
                continue
            check(all(row[x] == 0 for x in sprite_cols),
                  'video frame %d: sprite column not black on line %d' % (i, y))
            f = frame_of_line(row, frames, y + offset, x0)
            check(f is not None, 'video frame %d: line %d matches no frame picture '
                  '(torn, jittered or misplaced)' % (i, y))
            shown.append(f)
        for y in range(1, len(shown)):
            check(shown[y] != shown[y - 1], 'video frame %d: lines %d and %d show the same frame'
                  % (i, y - 1, y))
            check(shown[y] == (shown[y - 1] + 1) % 3 + 1,
                  'video frame %d: line %d does not follow the 3, 2, 1 rotation' % (i, y))
        maps.append(shown)
    for i in range(1, len(maps)):
        for y in range(len(maps[i])):
            check(maps[i][y] == (maps[i - 1][y] + 1) % 3 + 1,
                  'line %d: frame %d follows frame %d from video frame %d to %d'
                  % (y, maps[i][y], maps[i - 1][y], i - 1, i))
    for y in range(len(maps[0])):
        if len(maps) >= 3:
            check(sorted(m[y] for m in maps[:3]) == [1, 2, 3], 'line %d misses a frame' % y)
    return ('window row r shows picture line r + %d; row 0 shows frames %s; rows %d-199 black'
            % (offset, [m[0] for m in maps], black_from))


def check_mask(shots, frames):
    """Whole frames 3, 2, 1 under a 2x1 checkerboard of black that inverts every frame."""
    seq, phases = [], []
    for i, shot in enumerate(shots):
        found = None
        for f in range(3):
            for phase in range(2):
                ok = True
                for y in range(200):
                    row, pic = shot[y], frames[f][y]
                    for x in range(320):
                        covered = ((x >> 1) + y + phase) & 1 == 0
                        if row[x] != (0 if covered else pic[x]):
                            ok = False
                            break
                    if not ok:
                        break
                if ok:
                    found = (f + 1, phase)
        check(found is not None, 'video frame %d is not a frame under the checkerboard' % i)
        seq.append(found[0])
        phases.append(found[1])
    for a, b in zip(seq, seq[1:]):
        check(b == (a + 1) % 3 + 1, 'mask frames do not cycle 3, 2, 1: %s' % seq)
    for a, b in zip(phases, phases[1:]):
        check(a != b, 'checkerboard does not invert every frame: %s' % phases)
    return 'frames %s, checkerboard phases %s' % (seq, phases)


def check_viewer(name, shots, frames):
    ntsc = VIEWERS[name][1]
    if name == 'whole':
        return check_whole(shots, frames)
    if name.startswith('mask'):
        return check_mask(shots, frames)
    kind = 'fli' if name.startswith('fli') else 'standard'
    if kind == 'fli' and ntsc:
        return check_lines(shots, frames, kind, range(8, 32), 32)
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
    args = ap.parse_args(argv)

    tool = os.path.join(args.shared, 'tools', 'c64frames')
    for need in ('x64sc', 'Xvfb'):
        if not shutil.which(need):
            print('skipped: %s is not installed' % need)
            return SKIP
    if not os.path.isfile(tool):
        print('skipped: %s is missing' % tool)
        return SKIP

    work = args.keep or tempfile.mkdtemp(prefix='peltrix-viewers.')
    os.makedirs(work, exist_ok=True)
    rng = random.Random(args.seed)
    failed = []
    try:
        for name in args.only or VIEWERS:
            form, ntsc, length = VIEWERS[name]
            with open(os.path.join(args.viewers, name + '.bin'), 'rb') as f:
                viewer = f.read()
            if len(viewer) != length:
                failed.append(name)
                print('%s: FAIL viewer is %d bytes, not %d' % (name, len(viewer), length))
                continue
            frames = random_frames(rng, 2 if form == 'fli' else 8)
            prg = os.path.join(work, name + '.prg')
            with open(prg, 'wb') as f:
                f.write(program_file(viewer, assemble(frames, form == 'fli')))
            try:
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
