#!/usr/bin/env python3
"""Fails when setup.exe holds an instruction that a 486DX lacks, NT4's floor: it disassembles
every executable section and allows only the i386/i486 integer instructions, naming the address
and the instruction of anything else (CMOV, CPUID, RDTSC, CMPXCHG8B, MMX, SSE...). x87
instructions are the 486DX's own, but the program computes nothing in floating point: each one
is reported as a warning.

The linker puts the lists of static constructors and destructors at the end of the code, as
data; the link map says where, and those bytes are not disassembled.

--control names a program known to hold such instructions (one with the toolchain's C
start-up): the check must find some there, or it is not reading the disassembly at all."""
import argparse
import re
import subprocess
import sys

# The i386 and i486 integer instructions as objdump spells them (AT&T), without size suffix.
INTEGER = set("""
aaa aad aam aas adc add and arpl bound bsf bsr bswap bt btc btr bts call cbtw cltd cmc clc
cld cli clts cmp cmps cmpxchg cwtd cwtl daa das dec div enter hlt idiv imul in inc ins int
int3 into invd invlpg iret jmp lahf lar lcall lds lea leave les lfs lgdt lgs lidt ljmp lldt
lmsw lock lods loop loope loopne lret lsl lss ltr mov movs movsb movsw movzb movzw mul neg nop
not or out outs pop popa popf push pusha pushf rcl rcr rep repe repne repnz repz ret rol ror
sahf sal sar sbb scas sgdt shl shld shr shrd sidt sldt smsw stc std sti stos str sub test verr
verw wait wbinvd xadd xchg xlat xor cs ds es fs gs ss data16 addr16
""".split())
CONDITIONS = "(n?(a|ae|b|be|c|e|g|ge|l|le|o|p|s|z)|pe|po)"
CONDITIONAL = re.compile(r"^(j%s|jcxz|jecxz|set%sb?)$" % (CONDITIONS, CONDITIONS))
# The 387's instructions, as in the 486DX; suffixes give the operand's size.
X87 = set("""
f2xm1 fabs fadd faddp fbld fbstp fchs fclex fnclex fcom fcomp fcompp fcos fdecstp fdiv fdivp
fdivr fdivrp ffree fiadd ficom ficomp fidiv fidivr fild fimul fincstp finit fninit fist fistp
fisub fisubr fld fld1 fldcw fldenv fldl2e fldl2t fldlg2 fldln2 fldpi fldz fmul fmulp fnop
fpatan fprem fprem1 fptan frndint frstor fsave fnsave fscale fsin fsincos fsqrt fst fstcw
fnstcw fstenv fnstenv fstp fstsw fnstsw fsub fsubp fsubr fsubrp ftst fucom fucomp fucompp fwait
fxam fxch fxtract fyl2x fyl2xp1
""".split())
PREFIXES = ("lock", "rep", "repz", "repnz", "repe", "repne", "data16", "addr16",
            "cs", "ds", "es", "fs", "gs", "ss")
# Registers that only MMX, SSE and AVX have.
VECTOR_REGISTER = re.compile(r"%(mm|xmm|ymm|zmm|k)[0-9]")


def known(mnemonic, names, suffixes):
    if mnemonic in names:
        return True
    return any(mnemonic.endswith(s) and mnemonic[: -len(s)] in names for s in suffixes)


def judge(mnemonic, operands):
    """'ok', 'x87' or 'beyond' for one instruction."""
    if VECTOR_REGISTER.search(operands):
        return "beyond"
    # A NOP with an operand is the Pentium Pro's long NOP; the 486 knows only the short one.
    if mnemonic.startswith("nop") and operands:
        return "beyond"
    if known(mnemonic, INTEGER, ("b", "w", "l")) or CONDITIONAL.match(mnemonic):
        return "ok"
    if known(mnemonic, X87, ("s", "l", "t", "ll")):
        return "x87"
    return "beyond"


def data_ranges(map_path):
    """[start, end) of the constructor and destructor lists, from the link map: each runs from
    its symbol to the end of its terminating zero word."""
    ranges = []
    start = None
    for line in open(map_path, encoding="utf-8", errors="replace"):
        m = re.match(r"\s+0x([0-9a-f]+)\s+_?__(C|D)TOR_LIST__ = \.", line)
        if m:
            start = int(m.group(1), 16)
            continue
        m = re.match(r"\s+0x([0-9a-f]+)\s+0x([0-9a-f]+) (LONG|QUAD) 0x0$", line)
        if m and start is not None:
            ranges.append((start, int(m.group(1), 16) + int(m.group(2), 16)))
            start = None
    return ranges


def code_sections(objdump, exe):
    """(name, start, end) of each section flagged CODE."""
    dump = subprocess.run([objdump, "-h", exe], check=True, capture_output=True, text=True).stdout
    lines = dump.splitlines()
    sections = []
    for i, line in enumerate(lines):
        m = re.match(r"\s*\d+\s+(\S+)\s+([0-9a-f]+)\s+([0-9a-f]+)\s", line)
        if m and i + 1 < len(lines) and "CODE" in lines[i + 1]:
            start = int(m.group(3), 16)
            sections.append((m.group(1), start, start + int(m.group(2), 16)))
    return sections


def instructions(objdump, exe, start, end):
    """(address, mnemonic, operands) of each instruction in [start, end)."""
    dump = subprocess.run(
        [objdump, "-d", "--no-show-raw-insn", "--start-address=%#x" % start,
         "--stop-address=%#x" % end, exe], check=True, capture_output=True, text=True).stdout
    for line in dump.splitlines():
        m = re.match(r"\s*([0-9a-f]+):\s+(\S.*)$", line)
        if not m:
            continue
        text = m.group(2).split("#")[0].strip()
        parts = text.split(None, 1)
        # A prefix printed on the line of its instruction: judge both.
        while len(parts) > 1 and parts[0] in PREFIXES:
            yield int(m.group(1), 16), parts[0], ""
            parts = parts[1].split(None, 1)
        if parts:
            yield int(m.group(1), 16), parts[0], parts[1] if len(parts) > 1 else ""


def check(objdump, exe, map_path):
    """(beyond, x87, count, sections): the findings, as (address, instruction) pairs."""
    skip = data_ranges(map_path) if map_path else []
    beyond, x87, count, names = [], [], 0, []
    for name, start, end in code_sections(objdump, exe):
        names.append(name)
        pieces, at = [], start
        for lo, hi in sorted(skip):
            if start <= lo < end:
                pieces.append((at, lo))
                at = max(at, hi)
        pieces.append((at, end))
        for lo, hi in [p for p in pieces if p[0] < p[1]]:
            for address, mnemonic, operands in instructions(objdump, exe, lo, hi):
                count += 1
                verdict = judge(mnemonic, operands)
                seen = (address, (mnemonic + " " + operands).strip())
                if verdict == "beyond":
                    beyond.append(seen)
                elif verdict == "x87":
                    x87.append(seen)
    return beyond, x87, count, names


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--map", help="the link map, which says where the code holds data")
    parser.add_argument("--control", help="a program that must fail the check")
    parser.add_argument("exe")
    args = parser.parse_args()

    beyond, x87, count, names = check(args.objdump, args.exe, args.map)
    print("%s: %d instructions in %s" % (args.exe.rsplit("/", 1)[-1], count, ", ".join(names)))
    for address, text in x87:
        print("warning: x87 instruction at %#x: %s" % (address, text))
    for address, text in beyond[:50]:
        print("beyond the i486 at %#x: %s" % (address, text))
    problems = []
    if beyond:
        problems.append("%d instructions that a 486DX does not have" % len(beyond))
    if args.control:
        control = check(args.objdump, args.control, None)[0]
        print("control %s: %d instructions beyond the i486, as expected" % (
            args.control.rsplit("/", 1)[-1], len(control)))
        if not control:
            problems.append("the check found nothing in %s, which has such instructions"
                            % args.control)
    if not problems:
        print("only i486 instructions: runs on a 486DX or later")
        return 0
    print("\n".join(problems))
    return 1


if __name__ == "__main__":
    sys.exit(main())
