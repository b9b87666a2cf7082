#!/usr/bin/env python3
"""Marks a Windows program to be run from the page file when started from removable media or
a network share, and recomputes its checksum.

Usage: run_from_swap.py PROGRAM.exe

Without IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP (0x0400) and IMAGE_FILE_NET_RUN_FROM_SWAP (0x0800)
in the COFF header's Characteristics, NT4 pages the program in from the disk or share it was
started from for as long as it runs, so taking the disk out mid-run can kill it. GNU ld has no
option for them, so they are set after the link. The same input gives the same bytes.
"""
import struct
import sys

RUN_FROM_SWAP = 0x0400 | 0x0800


def checksum(image, checksum_at):
    """The PE checksum: 16-bit words added with end-around carry, the checksum field taken as
    zero, plus the file's length."""
    data = image[:checksum_at] + b"\0\0\0\0" + image[checksum_at + 4:]
    if len(data) % 2:
        data += b"\0"
    total = 0
    for (word,) in struct.iter_unpack("<H", data):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total & 0xFFFF) + len(image)


def main():
    path = sys.argv[1]
    image = bytearray(open(path, "rb").read())
    (pe,) = struct.unpack_from("<I", image, 0x3C)
    if image[pe:pe + 4] != b"PE\0\0":
        sys.exit("%s: not a PE image" % path)
    characteristics_at = pe + 4 + 18
    checksum_at = pe + 4 + 20 + 64  # the same offset in the PE32 and PE32+ optional headers
    (characteristics,) = struct.unpack_from("<H", image, characteristics_at)
    struct.pack_into("<H", image, characteristics_at, characteristics | RUN_FROM_SWAP)
    struct.pack_into("<I", image, checksum_at, checksum(image, checksum_at))
    open(path, "wb").write(image)


if __name__ == "__main__":
    main()
