#!/usr/bin/env python3
"""Writes the release zip: the given files of a folder in the order given, then SHA256SUMS of
them, every entry with the same time (SOURCE_DATE_EPOCH, in UTC) and the same attributes.

release-zip.py ZIP EPOCH FOLDER NAME...
"""
import hashlib
import os
import sys
import time
import zipfile


def main():
    target, epoch, folder, names = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4:]
    # A zip's times are local times of a day no earlier than 1980.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    sums = []
    contents = []
    for name in names:
        with open(os.path.join(folder, name), "rb") as source:
            data = source.read()
        sums.append(f"{hashlib.sha256(data).hexdigest()}  {name}\n")
        contents.append((name, data))
    sums_text = "".join(sums).encode("ascii")
    with open(os.path.join(folder, "SHA256SUMS"), "wb") as out:
        out.write(sums_text)
    contents.append(("SHA256SUMS", sums_text))
    with zipfile.ZipFile(target, "w") as archive:
        for name, data in contents:
            entry = zipfile.ZipInfo(name, date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 0
            entry.external_attr = 0x20  # the archive bit alone: an ordinary file
            archive.writestr(entry, data, compresslevel=9)


if __name__ == "__main__":
    main()
