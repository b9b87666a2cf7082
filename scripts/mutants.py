#!/usr/bin/env python3
"""Mistakes nobody chose: one-line mutants of the product sources, drawn at random.

  mutants.py draw SEED COUNT     COUNT mutants drawn with SEED from every site
  mutants.py changed REV [COUNT] the sites on lines changed since REV (a sample of COUNT, 40 by
                                 default, when there are more)
  mutants.py sites [REV]         only list the sites, one a line

A site is one operator at one place of a line of app/, engine/, pages/, platform/ or the
resource script; each counts once. Each mutant is applied alone to a copy of the sources
(ZL73_MUTANTS_COPY, default /tmp/zl73-mutants), the shipped i386 setup.exe rebuilt and, unless
its bytes are the unmutated build's, the whole suite run: the i386 one where this host runs
32-bit programs, the x86-64 one elsewhere. A mutant is killed when a test fails, and fails
again run alone. Mutants in scripts/mistakes-equivalent.txt are not run.
"""
import os
import random
import re
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FOLDERS = ("app/", "engine/", "pages/", "platform/")
RESOURCES = "res/setup.rc"
EQUIVALENTS = os.path.join(ROOT, "scripts", "mistakes-equivalent.txt")

STATEMENT_START = re.compile(r"[;{}:]\s*$")
KEYWORDS = re.compile(r"(return|if|for|while|switch|case|delete|goto|break|continue|do|else)\b")
CALL = re.compile(r"[\w:.>*&\[\]-]*\w\s*\(.*\);$")
ASSIGNMENT = re.compile(r"\*?[\w.>\[\]-]+ [-+|&]?= .*;$|(\+\+|--)[\w.>\[\]-]+;$|[\w.>\[\]-]+(\+\+|--);$")
FLAG_LIST = re.compile(r"(?:NOT )?[A-Za-z_]\w*(?: \| (?:NOT )?[A-Za-z_]\w*)+")


def code_mask(line):
    """The line with its string and character literals blanked and its // comment cut off."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(c if c == quote else " ")
            quote = None if c == quote else quote
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)[: len(line)]


def strings(line):
    """The (start, end) of the text inside each string literal."""
    found, i, start = [], 0, None
    mask = code_mask(line)
    for i, c in enumerate(mask):
        if c == '"':
            if start is None:
                start = i + 1
            else:
                found.append((start, i))
                start = None
    return found


def line_sites(path, line, prev_code):
    """(kind, mutated line) for each site of one line, without repeats."""
    mask = code_mask(line)
    code = mask.strip()
    if not code or code.startswith("#"):
        return []
    sites = []

    def swap(kind, pattern, table):
        for m in re.finditer(pattern, mask):
            sites.append((kind, line[: m.start()] + table[m.group(0)] + line[m.end():]))

    for m in FLAG_LIST.finditer(mask):
        items = m.group(0).split(" | ")
        for k in range(len(items)):
            rest = items[:k] + items[k + 1:]
            sites.append(("flag dropped", line[: m.start()] + " | ".join(rest) + line[m.end():]))
    for start, end in strings(line):
        if end > start:
            cut = 2 if line[start] == "\\" else 1
            sites.append(("string cut", line[:start] + line[start + cut:]))
    if path.endswith(".rc"):
        return sites

    swap("==/!=", r"(?<![=!<>])(==|!=)(?!=)", {"==": "!=", "!=": "=="})
    swap("comparison", r"(?<= )(<=|>=|<|>)(?= )", {"<": "<=", "<=": "<", ">": ">=", ">=": ">"})
    swap("&&/||", r"(?<= )(&&|\|\|)(?= )", {"&&": "||", "||": "&&"})
    swap("! dropped", r"!(?!=)", {"!": ""})
    swap("true/false", r"\b(TRUE|FALSE|true|false)\b",
         {"TRUE": "FALSE", "FALSE": "TRUE", "true": "false", "false": "true"})
    swap("+/-", r"(?<= )([-+]=?)(?= )", {"+": "-", "-": "+", "+=": "-=", "-=": "+="})
    swap("++/--", r"\+\+|--", {"++": "--", "--": "++"})
    for m in re.finditer(r"(?<![\w.])(0x[0-9A-Fa-f]+|\d+)(?![\w.])", mask):
        text = m.group(0)
        value = int(text, 0)
        more = hex(value + 1) if text.startswith("0x") else str(value + 1)
        for kind, new in (("0/1", {"0": "1", "1": "0"}.get(text)), ("one larger", more)):
            if new is not None:
                sites.append((kind, line[: m.start()] + new + line[m.end():]))
    # A statement of its own, in a function's body: a class's members are indented less.
    indent = len(line) - len(line.lstrip())
    if indent >= (4 if path.endswith(".h") else 2) and STATEMENT_START.search(prev_code) and \
            not KEYWORDS.match(code) and \
            code.count("(") == code.count(")") and (CALL.match(code) or ASSIGNMENT.match(code)):
        sites.append(("statement deleted", ""))

    seen, unique = set(), []
    for kind, new in sites:
        if new != line and new not in seen:
            seen.add(new)
            unique.append((kind, new))
    return unique


def product_files():
    files = subprocess.run(["git", "ls-files"], cwd=ROOT, capture_output=True, text=True,
                           check=True).stdout.split()
    return [f for f in files if f == RESOURCES or
            (f.startswith(FOLDERS) and f.endswith((".cpp", ".h")))]


def changed_lines(rev):
    """{file: set of line numbers} added or changed since rev."""
    diff = subprocess.run(["git", "diff", "-U0", rev, "--"] + product_files(), cwd=ROOT,
                          capture_output=True, text=True, check=True).stdout
    lines, path = {}, None
    for row in diff.splitlines():
        if row.startswith("+++ "):
            path = row[6:] if row.startswith("+++ b/") else None
        m = re.match(r"@@ -\S+ \+(\d+)(?:,(\d+))? @@", row)
        if m and path:
            first, count = int(m.group(1)), int(m.group(2) or 1)
            lines.setdefault(path, set()).update(range(first, first + count))
    return lines


def all_sites(only=None):
    sites = []
    for path in product_files():
        if only is not None and path not in only:
            continue
        with open(os.path.join(ROOT, path), encoding="latin-1") as f:
            text = f.read().split("\n")
        prev_code, in_comment = ";", False
        for number, line in enumerate(text, 1):
            stripped = line.strip()
            if in_comment or stripped.startswith("/*"):
                in_comment = "*/" not in stripped
                continue
            if only is None or number in only[path]:
                for kind, new in line_sites(path, line, prev_code):
                    sites.append((path, number, kind, line, new))
            if code_mask(line).strip():
                prev_code = code_mask(line).rstrip()
    return sites


def equivalents():
    """{(file, original, mutated): why}, the originals and mutations stripped."""
    known, entry = {}, {}
    if not os.path.exists(EQUIVALENTS):
        return known
    with open(EQUIVALENTS) as f:
        for row in f:
            key, _, value = row.rstrip("\n").partition(": ")
            if key in ("file", "was", "now", "why"):
                entry[key] = value.strip()
            if key == "why":
                known[(entry["file"], entry["was"], entry["now"])] = entry["why"]
    return known


def sh(command, cwd, log=None):
    with open(log or os.devnull, "w") as out:
        return subprocess.run(command, cwd=cwd, shell=True, stdout=out, stderr=out).returncode


def host_runs_i386():
    return sh(". scripts/host.sh && host_runs_i386", ROOT) == 0


def failed_tests(log):
    names, listing = [], False
    with open(log, errors="replace") as f:
        for row in f:
            if row.startswith("The following tests FAILED"):
                listing = True
            elif listing:
                m = re.match(r"\s*\d+ - (\S+)", row)
                if m:
                    names.append(m.group(1))
    return names


def run(sites, label):
    copy = os.environ.get("ZL73_MUTANTS_COPY", "/tmp/zl73-mutants")
    preset = "mingw" if host_runs_i386() else "mingw-x64"
    # The tests' Wine prefix is kept from one draw to the next: making it takes a while.
    for build in ("build", "build-x64"):
        if os.path.isdir(os.path.join(copy, build)):
            shutil.rmtree(os.path.join(copy, build, "CMakeFiles"), ignore_errors=True)
    for path in subprocess.run(["git", "ls-files"], cwd=ROOT, capture_output=True, text=True,
                               check=True).stdout.split():
        os.makedirs(os.path.dirname(os.path.join(copy, path)) or copy, exist_ok=True)
        shutil.copy2(os.path.join(ROOT, path), os.path.join(copy, path))
    # The i386 setup.exe and its disks are always built: its bytes decide "same bytes".
    build = "cmake --build --preset mingw"
    configure = "cmake --preset mingw"
    if preset != "mingw":
        build += " --target setup images && cmake --build --preset mingw-x64"
        configure += " && cmake --preset mingw-x64"
    if sh(configure + " && " + build, copy) != 0:
        sys.exit("the unmutated copy does not build in " + copy)
    setup_exe = os.path.join(copy, "build", "setup.exe")
    with open(setup_exe, "rb") as f:
        unmutated = f.read()
    suite = "ctest --preset %s --stop-on-failure -E setup.reproducible" % preset
    log = os.path.join(copy, "mutant.log")
    if sh(suite, copy, log) != 0:
        sys.exit("the suite fails with no mutant applied: " + ", ".join(failed_tests(log)))

    known = equivalents()
    tally = {}
    print("%s on the %s suite, %d mutants" % (label, preset, len(sites)))
    for path, number, kind, line, new in sites:
        target = os.path.join(copy, path)
        with open(target, encoding="latin-1") as f:
            original = f.read()
        rows = original.split("\n")
        rows[number - 1] = new
        with open(target, "w", encoding="latin-1") as f:
            f.write("\n".join(rows))
        why = known.get((path, line.strip(), new.strip() or "(deleted)"))
        if why:
            verdict = "equivalent (known)"
        elif sh(build, copy) != 0:
            verdict = "does not build"
        else:
            with open(setup_exe, "rb") as f:
                same = f.read() == unmutated
            verdict = "same bytes" if same else None
            if verdict is None:
                verdict = "survived"
                if sh(suite, copy, log) != 0:
                    failed = [t for t in failed_tests(log) if not t.startswith("wine.")]
                    verdict = "survived (flaky: %s)" % " ".join(failed) if failed else verdict
                    for test in failed:
                        if sh("ctest --preset %s -R '^%s$'" % (preset, re.escape(test)),
                              copy) != 0:
                            verdict = "killed by " + test
                            break
        with open(target, "w", encoding="latin-1") as f:
            f.write(original)
        os.utime(target)
        tally_key = verdict.split(" by ")[0].split(" (flaky")[0]
        tally[tally_key] = tally.get(tally_key, 0) + 1
        print("%-22s %-17s %s:%d  %s" % (verdict.split(" by ")[0], kind, path, number,
                                         new.strip() or "(line deleted)"), flush=True)
        if " by " in verdict:
            print("%22s %s" % ("", verdict.split(" by ")[1]), flush=True)
    order = ["killed", "survived", "same bytes", "does not build", "equivalent (known)"]
    print("tally: " + ", ".join("%s %d" % (k, tally.get(k, 0)) for k in order))
    return tally.get("survived", 0)


def main(argv):
    if len(argv) >= 3 and argv[0] == "draw":
        sites = all_sites()
        seed, count = int(argv[1]), int(argv[2])
        chosen = random.Random(seed).sample(sites, min(count, len(sites)))
        return 1 if run(chosen, "draw of seed %d from %d sites" % (seed, len(sites))) else 0
    if len(argv) >= 2 and argv[0] in ("changed", "sites"):
        sites = all_sites(changed_lines(argv[1]))
        if argv[0] == "sites":
            for path, number, kind, line, new in sites:
                print("%s:%d  %-17s %s" % (path, number, kind, new.strip() or "(line deleted)"))
            return 0
        count = int(argv[2]) if len(argv) > 2 else 40
        if len(sites) > count:
            sites = random.Random(argv[1]).sample(sites, count)
        return 1 if run(sites, "lines changed since %s" % argv[1]) else 0
    if argv == ["sites"]:
        for path, number, kind, line, new in all_sites():
            print("%s:%d  %-17s %s" % (path, number, kind, new.strip() or "(line deleted)"))
        return 0
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
