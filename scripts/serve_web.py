#!/usr/bin/env python3
"""Serves a folder of static files on 127.0.0.1 with the two headers that make a page
cross-origin isolated (Cross-Origin-Opener-Policy: same-origin,
Cross-Origin-Embedder-Policy: require-corp), so that SharedArrayBuffer and with it the
converter's two worker threads are available. Used by `make serve-web`, the page's test and
the job benchmark in Chromium.

    serve_web.py [--port N] [--no-isolation] FOLDER

Prints the address on one line ("peltrix page: http://127.0.0.1:PORT/") and serves until
interrupted. Port 0 (the default for tests) picks a free port; --no-isolation leaves the
headers out, as a plain web host would (the page then runs one worker).
"""
import argparse
import functools
import http.server
import sys
import threading


class IsolatedHandler(http.server.SimpleHTTPRequestHandler):
    isolated = True
    # .wasm must be served as application/wasm for streaming compilation.
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                          **{'.wasm': 'application/wasm', '.js': 'text/javascript'})

    def end_headers(self):
        if self.isolated:
            self.send_header('Cross-Origin-Opener-Policy', 'same-origin')
            self.send_header('Cross-Origin-Embedder-Policy', 'require-corp')
        self.send_header('Cache-Control', 'no-store')
        super().end_headers()

    def log_message(self, *args):
        pass


class PlainHandler(IsolatedHandler):
    isolated = False


def start(folder, port=0, isolated=True):
    """Serves `folder` on 127.0.0.1 from a daemon thread; returns the server (its
    server_address[1] is the port; shutdown() stops it)."""
    handler = IsolatedHandler if isolated else PlainHandler
    server = http.server.ThreadingHTTPServer(
        ('127.0.0.1', port), functools.partial(handler, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('folder')
    parser.add_argument('--port', type=int, default=8064)
    parser.add_argument('--no-isolation', action='store_true')
    args = parser.parse_args()
    handler = PlainHandler if args.no_isolation else IsolatedHandler
    server = http.server.ThreadingHTTPServer(
        ('127.0.0.1', args.port), functools.partial(handler, directory=args.folder))
    print('peltrix page: http://127.0.0.1:%d/' % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == '__main__':
    sys.exit(main())
