#!/usr/bin/env python3
"""A photo converted with --fit --visible shows whole on VICE's cycle-exact C64.

The standard and FLI viewers cover the 24 leftmost pixel columns with black sprites. With
--visible the photo is fitted into the 296 x 200 right of them: the converted frames are
black under the sprites, and every captured video frame is, line by line, exactly the frame
picture on that line, all 320 columns, so nothing of the photo is lost. The photo chosen
(butterfly.jpg, 493 x 356) has the visible area's shape on PAL, so it reaches from column
24 to 319; without --visible, fitted into 320 columns, it lies partly under the sprites.

    visible_area_on_vice.py --convert PELTRIX_CONVERT [--shared DIR] [--keep DIR]

Exit status 0 = pass, 1 = fail, 77 = skipped (x64sc, Xvfb or the shared folder missing).
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import viewers_on_vice as vov  # noqa: E402  the capture and the viewers' line model

SKIP = 77
HIDDEN = vov.DISPLAY['fli']['column']  # 24


def convert(tool, program, photo, prefix, options):
    """The photo converted with `options`: its .prg and its three frame pictures."""
    prg = prefix + '.prg'
    r = subprocess.run([program, '-q'] + options + [photo, prg, '--frames', prefix],
                       capture_output=True, text=True, timeout=1800)
    if r.returncode != 0:
        raise RuntimeError('peltrix-convert failed: ' + r.stderr.strip())
    mod = vov.c64frames_module(tool)
    return prg, [vov.index_picture(mod, '%s-frame%d.png' % (prefix, k)) for k in (1, 2, 3)]


def columns_used(frames):
    """The leftmost and rightmost column that is not black in any frame."""
    used = [x for x in range(320) if any(pic[y][x] for pic in frames for y in range(200))]
    return (min(used), max(used)) if used else (None, None)


def main(argv=None):
    ap = argparse.ArgumentParser()
    ap.add_argument('--convert', required=True, help='peltrix-convert')
    ap.add_argument('--shared', default=os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                     '..', '..', '..', 'shared'))
    ap.add_argument('--keep', help='keep the programs and captures in this folder')
    args = ap.parse_args(argv)

    tool = os.path.join(args.shared, 'tools', 'c64frames')
    photo = os.path.join(args.shared, 'testdata', 'butterfly.jpg')
    for need in ('x64sc', 'Xvfb'):
        if not shutil.which(need):
            print('skipped: %s is not installed' % need)
            return SKIP
    for need in (tool, photo):
        if not os.path.isfile(need):
            print('skipped: %s is missing' % need)
            return SKIP
    if not os.path.isfile(args.convert):
        print('skipped: %s is not built' % args.convert)
        return SKIP

    work = args.keep or tempfile.mkdtemp(prefix='peltrix-visible.')
    os.makedirs(work, exist_ok=True)
    try:
        # Without --visible the fitted photo reaches under the sprites: what the test guards.
        _, plain = convert(tool, args.convert, photo, os.path.join(work, 'fit'), ['--fit'])
        left, _ = columns_used(plain)
        vov.check(left is not None and left < HIDDEN,
                  'plain --fit already keeps clear of the sprite column (from column %s)' % left)

        prg, frames = convert(tool, args.convert, photo, os.path.join(work, 'visible'),
                              ['--fit', '--visible'])
        left, right = columns_used(frames)
        vov.check((left, right) == (HIDDEN, 319),
                  'the fitted photo spans columns %s-%s, not %d-319' % (left, right, HIDDEN))

        shots = vov.capture(tool, prg, os.path.join(work, 'capture'), False)
        # Right of the sprites each row is its line of a frame picture (3, 2, 1 rotation)...
        rotation, _, text = vov.check_lines(shots, frames, 'fli')
        # ...and under them, black as the frame pictures are there: the whole row is shown.
        first = vov.DISPLAY['fli']['first']
        for i, shot in enumerate(shots):
            for k, row in enumerate(shot):
                y = vov.raster_of_row(k) - first
                if 0 <= y < 200:
                    expected = frames[vov.rotated(rotation[i], y) - 1][y]
                    vov.check(row == expected,
                              'video frame %d, picture line %d: the C64 shows another row than '
                              'the frame picture from column %s' %
                              (i, y, vov.first_difference(row, expected)))
        print('ok: the photo fills columns %d-319 and every video frame shows all of it (%s)'
              % (HIDDEN, text))
        return 0
    except (vov.Failure, RuntimeError) as e:
        print('FAIL %s' % e)
        return 1
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    sys.exit(main())
