#!/usr/bin/env python3
"""The job benchmark natively and in WebAssembly under node, one table: per photo, mode
and worker count the fastest of the runs (milliseconds) and the wasm / native ratio.

    side_by_side.py --native BUILD/bench/job/peltrix_job_bench
                    --wasm WEB_BUILD/bench/job/peltrix_job_bench.js [--runs N] [--filter TEXT]
                    [-- NODE [ARG ...]]

The two programs run one after the other, each over every photo and mode; on a shared
machine, run it a few times and compare the medians.
"""
import argparse
import subprocess
import sys


def measure(command):
    """{(photo, mode, workers): (best_ms, median_ms)} from one benchmark run."""
    out = subprocess.run(command, capture_output=True, text=True, check=True).stdout
    rows = {}
    for line in out.splitlines()[1:]:
        photo, mode, workers, best, median = line.split()
        rows[(photo, mode, int(workers))] = (float(best), float(median))
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--native', required=True)
    parser.add_argument('--wasm', required=True)
    parser.add_argument('--runs', default='3')
    parser.add_argument('--filter', default='')
    parser.add_argument('node', nargs='*', default=['node', '--no-experimental-fetch'])
    args = parser.parse_args()
    options = ['--runs', args.runs] + (['--filter', args.filter] if args.filter else [])
    native = measure([args.native] + options)
    wasm = measure((args.node or ['node', '--no-experimental-fetch']) + [args.wasm] + options)
    print('%-15s %-22s %7s %10s %10s %7s' % ('photo', 'mode', 'workers', 'native_ms', 'wasm_ms',
                                             'ratio'))
    for key in native:
        if key not in wasm:
            continue
        n, w = native[key][0], wasm[key][0]
        print('%-15s %-22s %7d %10.1f %10.1f %7.2f' % (key + (n, w, w / n if n else 0)))
    return 0


if __name__ == '__main__':
    sys.exit(main())
