#!/usr/bin/env python3
"""Fails when setup.exe could not start on NT4: a subsystem version other than 4.0, no entry
point, or an imported DLL or function outside the reviewed list; or could die on NT4 once its
disk is out: not marked to run from the page file. Also fails on a listed function that is no
longer imported, so the list stays exactly what was reviewed."""
import argparse
import re
import subprocess
import sys


def read_allowlist(path):
    allowed = {}
    dll = None
    for raw in open(path, encoding="ascii"):
        line = raw.split("#", 1)[0].strip()
        if not line:
            continue
        if line.startswith("[") and line.endswith("]"):
            dll = line[1:-1].upper()
            allowed[dll] = set()
        else:
            allowed[dll].add(line)
    return allowed


def read_imports(dump):
    imports = {}
    dll = None
    for line in dump.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).upper()
            imports[dll] = set()
            continue
        m = re.match(r"\s*[0-9a-f]+\s+[0-9a-f]+\s+(\S+)$", line)
        if dll and m and not line.strip().startswith("vma"):
            imports[dll].add(m.group(1))
    return imports


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--allowlist", required=True)
    parser.add_argument("--list", action="store_true", help="print every imported function")
    parser.add_argument("exe")
    args = parser.parse_args()

    dump = subprocess.run([args.objdump, "-p", args.exe], check=True, capture_output=True,
                          text=True).stdout
    problems = []
    subsystem = re.search(r"MajorSubsystemVersion\s+(\d+).*?MinorSubsystemVersion\s+(\d+)", dump, re.S)
    if not subsystem or subsystem.groups() != ("4", "0"):
        problems.append("subsystem version is not 4.0: %s" % (subsystem.groups() if subsystem else None))
    if not re.search(r"Subsystem\s+00000002", dump):
        problems.append("not a GUI (Windows) subsystem program")
    # Without these NT4 pages the program in from the floppy or share it started from, and the
    # disk may be out by then: 0x0400 removable media, 0x0800 network.
    characteristics = re.search(r"^Characteristics\s+0x([0-9a-f]+)", dump, re.M)
    if not characteristics or int(characteristics.group(1), 16) & 0x0C00 != 0x0C00:
        problems.append("not marked to run from the page file (/SWAPRUN): %s"
                        % (characteristics.group(0) if characteristics else None))
    # The linker leaves 0 when it finds no entry point: the program would start at its header.
    if re.search(r"AddressOfEntryPoint\s+0+\n", dump):
        problems.append("no entry point")

    allowed = read_allowlist(args.allowlist)
    imports = read_imports(dump)
    for dll, functions in sorted(imports.items()):
        if dll not in allowed:
            problems.append("DLL not allowed: %s (%s)" % (dll, ", ".join(sorted(functions))))
            continue
        for fn in sorted(functions - allowed[dll]):
            problems.append("function not allowed: %s!%s" % (dll, fn))
    for dll, functions in sorted(allowed.items()):
        for fn in sorted(functions - imports.get(dll, set())):
            problems.append("listed but not imported: %s!%s" % (dll, fn))

    for dll, functions in sorted(imports.items()):
        print("%s: %d functions" % (dll, len(functions)))
        if args.list:
            print("  " + " ".join(sorted(functions)))
    if problems:
        print("\n".join(problems))
        return 1
    print("imports: exactly the NT4 allowlist")
    return 0


if __name__ == "__main__":
    sys.exit(main())
