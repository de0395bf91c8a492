#!/usr/bin/env python3
"""Packs files into a zip that is the same bytes on every build of the same sources.

    pack_zip.py OUT.zip EPOCH FILE...

Each entry gets the time EPOCH (seconds since 1970, UTC; the sources' SOURCE_DATE_EPOCH) and
fixed permissions, and no extra fields: no access or creation times, no owner, no time zone
of the build machine.
"""
import os
import sys
import time
import zipfile


def main():
    out, epoch, files = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    # DOS times start in 1980 and count two seconds.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    partial = out + ".partial"
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for path in files:
            entry = zipfile.ZipInfo(os.path.basename(path), date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 3  # Unix, so that the permissions below are read
            entry.external_attr = 0o100644 << 16
            with open(path, "rb") as source:
                archive.writestr(entry, source.read())
    os.replace(partial, out)


if __name__ == "__main__":
    main()
