#!/usr/bin/env python3
"""Finishes a linked program or DLL for shipping, in place: its debug information goes to a file
beside it (NAME.debug, found again through a GNU debuglink), the file is stripped, padded with
zeros to a multiple of 8 bytes and given its PE checksum.

pe-finish.py OBJCOPY FILE

Authenticode signing pads the file to 8 bytes before it appends the signature, and removing the
signature keeps that padding and writes the checksum again: a file already in this form comes
back from signing and unsigning byte for byte. objcopy stamps the header with SOURCE_DATE_EPOCH
when it is set, as the linker does.
"""
import os
import struct
import subprocess
import sys

PE_OFFSET_AT = 0x3C
# Signature (4) and file header (20), then the checksum at 64 in the optional header of PE32 and
# PE32+ alike.
CHECKSUM_FROM_PE = 4 + 20 + 64


def pe_checksum(data, checksum_at):
    """CheckSumMappedFile's sum: 16-bit words added with end-around carry, the checksum field
    taken as zero, plus the file's length."""
    words = bytearray(data)
    words[checksum_at:checksum_at + 4] = bytes(4)
    if len(words) % 2:
        words.append(0)
    total = sum(struct.unpack_from(f"<{len(words) // 2}H", words))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return total + len(data)


def main():
    objcopy, target = sys.argv[1], sys.argv[2]
    debug = os.path.splitext(target)[0] + ".debug"
    stripped = target + ".stripped"
    subprocess.run([objcopy, "--only-keep-debug", target, debug], check=True)
    subprocess.run([objcopy, "--strip-all", f"--add-gnu-debuglink={debug}", target, stripped],
                   check=True)
    with open(stripped, "rb") as source:
        data = bytearray(source.read())
    if data[:2] != b"MZ":
        sys.exit(f"{target}: not a PE file")
    data.extend(bytes(-len(data) % 8))
    checksum_at = struct.unpack_from("<I", data, PE_OFFSET_AT)[0] + CHECKSUM_FROM_PE
    struct.pack_into("<I", data, checksum_at, pe_checksum(data, checksum_at))
    with open(stripped, "wb") as out:
        out.write(data)
    os.replace(stripped, target)


if __name__ == "__main__":
    main()
