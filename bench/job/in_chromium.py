#!/usr/bin/env python3
"""The job benchmark in headless Chromium: whole pictures with one and two workers (two
pthreads; the page is served cross-origin isolated), per mode and shared photo.

    in_chromium.py WEB_BUILD/bench/job/peltrix_job_bench_page.html [--runs N] [--filter TEXT]
                   [--chromium PATH] [--timeout SECONDS]

Serves the page's folder on 127.0.0.1 (a free port) with the two headers that make
SharedArrayBuffer available (Cross-Origin-Opener-Policy: same-origin,
Cross-Origin-Embedder-Policy: require-corp), runs Chromium headless with a profile of its
own in that folder, prints the benchmark's table from the console and stops both.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'scripts'))
import serve_web  # noqa: E402  the page's server, with the isolation headers

CONSOLE = re.compile(r'CONSOLE[(:]\d+\)?\] "(.*)", source:')  # (N)] older, :N] newer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('page')
    parser.add_argument('--runs', default='3')
    parser.add_argument('--filter', default='')
    parser.add_argument('--chromium', default='/usr/lib/chromium/chromium')
    parser.add_argument('--timeout', type=float, default=600)
    args = parser.parse_args()
    folder = os.path.dirname(os.path.abspath(args.page))
    if not os.path.exists(args.page):
        print('no page %s: build the target peltrix_job_bench_page' % args.page, file=sys.stderr)
        return 1

    server = serve_web.start(folder)
    bench_args = ['--runs', args.runs] + (['--filter', args.filter] if args.filter else [])
    url = 'http://127.0.0.1:%d/%s?%s' % (server.server_address[1], os.path.basename(args.page),
                                        urllib.parse.urlencode([('arg', a) for a in bench_args]))
    profile = tempfile.mkdtemp(prefix='chromium-profile-', dir=folder)
    browser = subprocess.Popen(
        [args.chromium, '--headless', '--no-sandbox', '--disable-dev-shm-usage',
         '--user-data-dir=' + profile, '--enable-logging=stderr', '--v=0', url],
        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, start_new_session=True)
    status = 1
    stop = lambda: os.killpg(browser.pid, 15)  # Chromium's own group (start_new_session)
    timer = threading.Timer(args.timeout, stop)
    timer.start()
    try:
        for line in browser.stderr:
            match = CONSOLE.search(line)
            if match:
                text = match.group(1)
                if text.startswith('peltrix_job_bench exit '):
                    status = int(text.split()[-1])
                    break
                print(text, flush=True)
        else:
            print('in_chromium: no result within %g s' % args.timeout, file=sys.stderr)
    finally:
        timer.cancel()
        try:
            stop()
        except ProcessLookupError:
            pass
        browser.wait()
        server.shutdown()
        shutil.rmtree(profile, ignore_errors=True)
    return status


if __name__ == '__main__':
    sys.exit(main())
