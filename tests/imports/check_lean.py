#!/usr/bin/env python3
"""Fails when setup.exe has grown: over its size limit, or carrying the C++ runtime (a member of
libstdc++, libsupc++ or libgcc_eh in its link map, or unwind tables beyond the C start-up's own,
which the one-dialog floor program shows)."""
import argparse
import os
import re
import subprocess
import sys

RUNTIME = ("libstdc++.a", "libsupc++.a", "libgcc_eh.a")


def runtime_members(map_path):
    """(member, why) for each C++ runtime member the linker took in, from the map's first table."""
    members = []
    lines = open(map_path, encoding="utf-8", errors="replace").read().split("\n")
    if not lines or not lines[0].startswith("Archive member included"):
        return members
    for i, line in enumerate(lines[1:], 1):
        if line.startswith(("Discarded input sections", "Memory Configuration")):
            break
        m = re.match(r"(\S+?\.a)\(([^)]+)\)\s*(.*)$", line)
        if not m or os.path.basename(m.group(1)) not in RUNTIME:
            continue
        why = m.group(3) or (lines[i + 1].strip() if i + 1 < len(lines) else "")
        why = re.sub(r"\S*/", "", why)
        members.append(("%s(%s)" % (os.path.basename(m.group(1)), m.group(2)), why))
    return members


def eh_frame_bytes(objdump, exe):
    # A stripped image keeps only eight characters of a section name.
    dump = subprocess.run([objdump, "-h", exe], check=True, capture_output=True, text=True).stdout
    m = re.search(r"^\s*\d+\s+\.eh_fram\S*\s+([0-9a-f]+)\s", dump, re.M)
    return int(m.group(1), 16) if m else 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--max-bytes", type=int, help="largest allowed file size")
    parser.add_argument("--map", help="the link map: no C++ runtime member may be in it")
    parser.add_argument("--floor", help="a C program: the exe may have no more .eh_frame than it")
    parser.add_argument("exe")
    args = parser.parse_args()

    problems = []
    name = os.path.basename(args.exe)
    if args.max_bytes is not None:
        size = os.path.getsize(args.exe)
        print("%s: %d bytes (limit %d)" % (name, size, args.max_bytes))
        if size > args.max_bytes:
            problems.append("%s is %d bytes over the limit" % (name, size - args.max_bytes))
    if args.map:
        members = runtime_members(args.map)
        for member, why in members[:20]:
            print("linked: %s, for %s" % (member, why))
        if members:
            problems.append("%d C++ runtime members linked" % len(members))
    if args.floor:
        own = eh_frame_bytes(args.objdump, args.exe)
        floor = eh_frame_bytes(args.objdump, args.floor)
        print(".eh_frame: %d bytes (%s: %d)" % (own, os.path.basename(args.floor), floor))
        if own > floor:
            problems.append(".eh_frame is %d bytes larger than the C start-up's" % (own - floor))
    if problems:
        print("\n".join(problems))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
