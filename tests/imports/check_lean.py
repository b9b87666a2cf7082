#!/usr/bin/env python3
"""Fails when setup.exe has grown: over its size limit, or carrying any run-time of the
toolchain's. The link may take members only from our own library and the system DLLs' import
libraries, and no start-up object (crt2.o and the like); the image may have none of the
sections that the C start-up brings: unwind tables (.eh_frame), its initialiser lists (.CRT)
and thread-local data (.tls)."""
import argparse
import os
import re
import subprocess
import sys

IMPORT_LIBRARIES = ("libkernel32.a", "libuser32.a", "libadvapi32.a", "libsetupapi.a")
START_UP_SECTIONS = (".eh_frame", ".CRT", ".tls")


def foreign_members(map_path, own):
    """(archive(member), why) for each member taken from an archive other than ours or an
    import library, and (object, 'start-up object') for each of the toolchain's start-up
    files loaded (crt2.o, crtbegin.o, crtend.o and the like)."""
    text = open(map_path, encoding="utf-8", errors="replace").read()
    found = []
    table = text.split("Discarded input sections", 1)[0].split("Memory Configuration", 1)[0]
    lines = table.split("\n")
    for i, line in enumerate(lines):
        m = re.match(r"(\S+?\.a)\(([^)]+)\)\s*(.*)$", line)
        if not m or os.path.basename(m.group(1)) in own + IMPORT_LIBRARIES:
            continue
        why = m.group(3) or (lines[i + 1].strip() if i + 1 < len(lines) else "")
        member = "%s(%s)" % (os.path.basename(m.group(1)), m.group(2))
        found.append((member, re.sub(r"\S*/", "", why)))
    for m in re.finditer(r"^LOAD (\S*/(dll)?crt[^/]*\.o)$", text, re.M):
        found.append((m.group(1), "start-up object"))
    return found


def section_names(objdump, exe):
    dump = subprocess.run([objdump, "-h", exe], check=True, capture_output=True, text=True).stdout
    return re.findall(r"^\s*\d+\s+(\S+)\s", dump, re.M)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--max-bytes", type=int, help="largest allowed file size")
    parser.add_argument("--map", help="the link map: nothing of a run-time may be in it")
    parser.add_argument("--own", action="append", default=[], help="our own static library")
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
        members = foreign_members(args.map, tuple(args.own))
        for member, why in members[:20]:
            print("linked: %s, for %s" % (member, why))
        if members:
            problems.append("%d members of a run-time linked" % len(members))
        # A stripped image keeps only eight characters of a section name.
        sections = section_names(args.objdump, args.exe)
        print("sections: %s" % " ".join(sections))
        for section in START_UP_SECTIONS:
            if section[:8] in sections:
                problems.append("%s has a %s section" % (name, section))
    if problems:
        print("\n".join(problems))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
