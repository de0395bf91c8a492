#!/usr/bin/env python3
"""The WebAssembly converter, run by node, against the native one: the same files, byte
for byte, for every test photo in every search mode, and the same error for a broken file.

    converter_matches_native.py --wasm PELTRIX_CONVERT_JS --shared DIR -- NODE [ARG ...]

The native peltrix-convert comes from the environment (PELTRIX_NATIVE_CONVERT; the web
stage of scripts/test.sh sets it). Each conversion writes the .prg, the .raw and the blend
.png at once. Exit status 0 = pass, 1 = fail, 77 = skipped (no native converter or no
test photos).
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
PHOTOS = ['fruits.jpg', 'baboon.jpg', 'butterfly.jpg', 'smarties.png', 'HappyFish.jpg']

# The four searches, each with colour and luma distances (defaults: "Per 2 line FLI",
# "Brute Force", "Luma overload reduction", two workers).
MODES = [
    [], ['--luma-only'],
    ['--no-fli'], ['--no-fli', '--luma-only'],
    ['--super-flicker'], ['--super-flicker', '--luma-only'],
    ['--no-fli', '--super-flicker'], ['--no-fli', '--super-flicker', '--luma-only'],
]
# The other options once each, on the first photo.
OTHER_OPTIONS = [
    ['--reduced', '--basic-exclusions', '-d', '0'],
    ['--no-fli', '--ass-lace', '--ntsc', '-d', '3'],
    ['--single-thread', '--luma-only', '-d', '1'],
    ['--match', 'eye'],
    ['--match', 'eye', '--super-flicker', '--eye-dither', 'ordered'],
    ['--match', 'eye', '--no-fli', '--luma-only', '--eye-dither', 'none'],
]
OUTPUTS = ['out.prg', 'out.raw', 'out.png']


def run(command, cwd):
    done = subprocess.run(command, cwd=cwd, capture_output=True, text=True, timeout=600)
    return done.returncode, done.stderr


def convert(command, photo, options, folder):
    """Runs one converter in a folder of its own; its status, message and files."""
    os.makedirs(folder)
    status, message = run(command + ['-q'] + options + [photo] + OUTPUTS, folder)
    files = {}
    for name in OUTPUTS:
        path = os.path.join(folder, name)
        if os.path.exists(path):
            with open(path, 'rb') as f:
                files[name] = f.read()
    return status, message, files


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--wasm', required=True, help='peltrix-convert.js')
    parser.add_argument('--shared', required=True, help='the shared folder (testdata/)')
    parser.add_argument('node', nargs='+', help='node and its options')
    args = parser.parse_args()

    native = os.environ.get('PELTRIX_NATIVE_CONVERT', '')
    if not native or not os.access(native, os.X_OK):
        print('skipped: set PELTRIX_NATIVE_CONVERT to the native peltrix-convert '
              '(scripts/test.sh does)')
        return SKIP
    photos = [os.path.join(args.shared, 'testdata', p) for p in PHOTOS]
    missing = [p for p in photos if not os.path.exists(p)]
    if missing:
        print('skipped: test photos missing: ' + ', '.join(missing))
        return SKIP

    converters = {'native': [native], 'wasm': args.node + [os.path.abspath(args.wasm)]}
    work = tempfile.mkdtemp(prefix='peltrix-web-')
    failures = 0
    runs = [(photo, mode) for photo in photos for mode in MODES]
    runs += [(photos[0], options) for options in OTHER_OPTIONS]
    # A broken picture: both name the file and the reason the same way, and write nothing.
    broken = os.path.join(work, 'broken.jpg')
    with open(photos[0], 'rb') as f:
        head = f.read(2000)
    with open(broken, 'wb') as f:
        f.write(head)
    runs.append((broken, []))
    try:
        for n, (photo, options) in enumerate(runs):
            what = '%s %s' % (os.path.basename(photo), ' '.join(options) or '(defaults)')
            results = {name: convert(command, photo, options, os.path.join(work, '%d-%s' % (n, name)))
                       for name, command in converters.items()}
            (ns, nm, nf), (ws, wm, wf) = results['native'], results['wasm']
            problems = []
            if ns != ws:
                problems.append('exit status %d (native) vs %d (wasm)' % (ns, ws))
            if ns != 0 and nm != wm:
                problems.append('messages differ: %r vs %r' % (nm.strip(), wm.strip()))
            if sorted(nf) != sorted(wf):
                problems.append('files written: %s vs %s' % (sorted(nf), sorted(wf)))
            problems += ['%s differs' % name for name in nf if name in wf and nf[name] != wf[name]]
            if ns == 0 and sorted(nf) != sorted(OUTPUTS):
                problems.append('native run wrote %s: %s' % (sorted(nf), nm.strip()))
            if problems:
                failures += 1
                print('FAIL %s: %s' % (what, '; '.join(problems)))
            else:
                print('ok   %s' % what)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print('%d of %d conversions differ' % (failures, len(runs)))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
