#!/usr/bin/env python3
"""The program's version resource says the project's version, in its numbers and its strings, and
its manifest's identity says it too.

VersionResource.py PROGRAM VERSION     (VERSION as in CMake: 1.0, 1.2.3 or 1.2.3.4)
"""
import re
import struct
import sys

FIXED_SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def string_value(data, key):
    """The value of a StringFileInfo entry: after its UTF-16 key and the padding to 32 bits."""
    marker = key.encode("utf-16-le") + b"\0\0"
    at = data.find(marker)
    if at < 0:
        return None
    at += len(marker)
    at += -at % 4
    end = at
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le")


def main():
    program, version = sys.argv[1], sys.argv[2]
    with open(program, "rb") as source:
        data = source.read()
    parts = [int(part) for part in version.split(".")] + [0, 0, 0]
    numbers = parts[:4]
    at = data.find(FIXED_SIGNATURE)
    if at < 0:
        sys.exit(f"{program}: no version resource")
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<4I", data, at + 8)
    found = {
        "FILEVERSION": [file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF],
        "PRODUCTVERSION": [product_ms >> 16, product_ms & 0xFFFF, product_ls >> 16, product_ls & 0xFFFF],
    }
    wrong = [f"{name} {value}, not {numbers}" for name, value in found.items() if value != numbers]
    for key in ("FileVersion", "ProductVersion"):
        value = string_value(data, key)
        if value != version:
            wrong.append(f'{key} "{value}", not "{version}"')
    # The manifest's own identity, four numbers like the fixed part.
    identity = re.search(rb'name="Corvane\.Corvane"\s+version="([^"]*)"', data)
    manifest = identity.group(1).decode("ascii") if identity else None
    if manifest != ".".join(map(str, numbers)):
        wrong.append(f"manifest assemblyIdentity version {manifest}, not {numbers}")
    for line in wrong:
        print(f"{program}: {line}")
    if not wrong:
        print(f"version resource and manifest: {version}")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
