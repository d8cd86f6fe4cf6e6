#!/usr/bin/python3
"""Packs a ZIP again so that its bytes depend on its contents and one date
alone: the entries in the order of their names, every entry dated
SOURCE_DATE_EPOCH (as UTC; a ZIP holds no date before 1980), programs and
folders with Unix mode 755, the other files 644, and no owner.

  repack_zip.py ZIP SOURCE_DATE_EPOCH
"""

import os
import sys
import time
import zipfile

FIRST_ZIP_DATE = 315532800  # 1980-01-01 00:00:00 UTC


def repack(path, epoch):
    date = time.gmtime(max(epoch, FIRST_ZIP_DATE))[:6]
    with zipfile.ZipFile(path) as source:
        entries = sorted((info.filename, source.read(info)) for info in source.infolist())
    part = path + ".part"
    with zipfile.ZipFile(part, "w") as target:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date)
            info.create_system = 3  # Unix, so that the modes below are read
            if name.endswith("/"):
                info.external_attr = (0o040755 << 16) | 0x10  # and the MS-DOS folder flag
            else:
                mode = 0o100755 if name.lower().endswith(".exe") else 0o100644
                info.external_attr = mode << 16
                info.compress_type = zipfile.ZIP_DEFLATED
            target.writestr(info, data, compresslevel=9)
    os.replace(part, path)


def main(argv):
    if len(argv) != 3 or not argv[2].isdigit():
        print(__doc__, file=sys.stderr)
        return 2
    repack(argv[1], int(argv[2]))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except (OSError, zipfile.BadZipFile) as error:
        print(f"repack_zip.py: {error}", file=sys.stderr)
        sys.exit(1)
