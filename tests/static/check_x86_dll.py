#!/usr/bin/env python3
"""Vets the 32-bit DLL by reading it, for machines that cannot run 32-bit code.

The chat client calls every command as __stdcall with six 4-byte arguments and LoadDll
with one pointer, and leaves popping them to the callee. A command that returns with a
plain ret (or pops the wrong count) corrupts the client's stack, and nothing short of
running the DLL would show it; so this reads the disassembly instead. From each export's
address it follows every path (fall-through, conditional and unconditional direct
jumps, also into code shared with other functions; calls are taken to return, so the
callee is not followed but the code after the call is) and requires every ret reached
to pop 24 bytes, or 4 for LoadDll. A jump through a register or memory cannot be
followed, so it fails the export rather than letting it pass unseen.

It also checks the headers, read by objdump -p: file format pei-i386 (PE32), exactly
the export names of src/host/exports.def, imports from system DLLs only, no TLS
directory (whose callbacks would run at load).

  check_x86_dll.py [--def FILE] [--returns-only] DLL
      Checks one DLL: one "Failure: ..." line per fault, then a summary; exits 1 on any.
      --returns-only checks the returns alone, of whatever the DLL exports.
  check_x86_dll.py --suite BUILD_ROOT
      Checks BUILD_ROOT/windows/zel.winamp.dll, then runs the return check on
      BUILD_ROOT/windows/faulty.dll and requires it to refuse exactly the exports built
      wrong on purpose. Prints GoogleTest-style lines and counts.

The objdump used is i686-w64-mingw32-objdump, or $OBJDUMP.
"""

import argparse
import os
import re
import subprocess
import sys

from test_report import run_tests

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.path.dirname(os.path.dirname(HERE))
DEFAULT_DEF = os.path.join(SOURCE_DIR, "src", "host", "exports.def")

# The loader finds these on every Windows machine; a MinGW runtime DLL it would not.
ALLOWED_IMPORTS = {"kernel32.dll", "user32.dll", "advapi32.dll", "msvcrt.dll"}

COMMAND_POP = 24  # six 4-byte arguments
LOAD_DLL_POP = 4  # one pointer

# The faulty DLL's exports the return check must refuse, each with a word its failure
# line must contain; every other export of that DLL must pass.
FAULTY_REFUSED = {
    "cdecl_command": "plain ret",
    "short_command": "pops 20 bytes",
    "split_return_command": "plain ret",
    "register_jump_command": "indirect jump",
}

PREFIXES = {"rep", "repz", "repe", "repnz", "repne", "bnd", "notrack", "lock",
            "cs", "ds", "es", "ss", "fs", "gs", "data16", "data32", "addr16", "addr32"}
NEAR_RETURNS = {"ret", "retl"}
OTHER_RETURNS = {"retw", "lret", "lretl", "lretw", "iret", "iretl", "iretw", "sysexit", "sysret"}
CONDITIONAL = {"loop", "loope", "loopz", "loopne", "loopnz", "jcxz", "jecxz", "xbegin"}
# A path that reaches one of these stops there without returning.
TRAPS = {"ud0", "ud1", "ud2", "hlt", "int3"}
CALLS = {"call", "calll", "lcall"}

LISTING_LINE = re.compile(r"^\s*([0-9a-f]+):\t([0-9a-f]{2}(?: [0-9a-f]{2})*)\s*(?:\t(.*))?$")
DIRECT_TARGET = re.compile(r"^(?:0x)?([0-9a-f]+)(?:\s+<[^>]*>)?$")


class CheckError(Exception):
    """The DLL or the tools are missing or unreadable; nothing could be checked."""


def objdump(args):
    tool = os.environ.get("OBJDUMP", "i686-w64-mingw32-objdump")
    try:
        run = subprocess.run([tool] + args, capture_output=True, text=True)
    except FileNotFoundError:
        raise CheckError(f"{tool} not found (the MinGW binutils for i686)")
    if run.returncode != 0:
        raise CheckError(f"{tool} {' '.join(args)}: {run.stderr.strip()}")
    return run.stdout


# ---- Headers -------------------------------------------------------------------------

class Headers:
    """What objdump -p and -h say about the file."""

    def __init__(self, dll):
        text = objdump(["-p", dll])
        found = re.search(r"file format (\S+)", text)
        self.file_format = found.group(1) if found else "?"
        found = re.search(r"^Magic\s+([0-9a-f]+)", text, re.M)
        self.magic = int(found.group(1), 16) if found else None
        found = re.search(r"^ImageBase\s+([0-9a-f]+)", text, re.M)
        self.image_base = int(found.group(1), 16) if found else 0
        self.directories = {
            int(m.group(1), 16): (int(m.group(2), 16), int(m.group(3), 16))
            for m in re.finditer(r"^Entry ([0-9a-f]) ([0-9a-f]+) ([0-9a-f]+) ", text, re.M)}
        self.imports = re.findall(r"^\tDLL Name: (.+)$", text, re.M)

        # The export address table by index, then the names, each with the index of its
        # address ("[Ordinal/Name Pointer] Table" lists the ordinal-table value).
        addresses = {}
        for m in re.finditer(r"^\t\[\s*(\d+)\] \+base\[\s*\d+\]\s+([0-9a-f]+) (Export|Forwarder) RVA",
                             text, re.M):
            addresses[int(m.group(1))] = (int(m.group(2), 16), m.group(3) == "Forwarder")
        self.exports = {}  # name -> (rva, forwarded), or None when the index is unknown
        names = text.split("[Ordinal/Name Pointer] Table\n", 1)
        if len(names) == 2:
            for line in names[1].split("\n"):
                m = re.match(r"^\t\[\s*(\d+)\] (\S+)$", line)
                if not m:
                    break
                self.exports[m.group(2)] = addresses.get(int(m.group(1)))

        self.code_sections = []  # (start VMA, end VMA)
        lines = objdump(["-h", dll]).split("\n")
        for line, flags in zip(lines, lines[1:]):
            m = re.match(r"^\s*\d+ \S+\s+([0-9a-f]+)\s+([0-9a-f]+)\s", line)
            if m and "CODE" in flags:
                start = int(m.group(2), 16)
                self.code_sections.append((start, start + int(m.group(1), 16)))

    def section_end(self, address):
        for start, end in self.code_sections:
            if start <= address < end:
                return end
        return None


def read_def(path):
    """The export names a .def file lists."""
    names = []
    in_exports = False
    with open(path) as f:
        for line in f:
            line = line.split(";", 1)[0].strip()
            if not line:
                continue
            if re.match(r"^(LIBRARY|NAME|DESCRIPTION|STACKSIZE|HEAPSIZE|SECTIONS|VERSION)\b", line):
                in_exports = False
            elif line.startswith("EXPORTS"):
                in_exports = True
            elif in_exports:
                names.append(re.split(r"[\s=]", line, 1)[0])
    return names


def format_faults(headers):
    faults = []
    if headers.file_format != "pei-i386":
        faults.append(f"file format is {headers.file_format}, not pei-i386")
    if headers.magic != 0x10b:
        faults.append("optional header is not PE32 (magic %s)" %
                      ("missing" if headers.magic is None else f"{headers.magic:#06x}"))
    return faults


def export_set_faults(headers, def_path):
    expected = read_def(def_path)
    faults = [f"export missing: {n}" for n in expected if n not in headers.exports]
    faults += [f"export not in {os.path.basename(def_path)}: {n}"
               for n in headers.exports if n not in expected]
    return faults


def import_faults(headers):
    if not headers.imports:
        return ["no imports listed (objdump found no import table)"]
    return [f"imports {dll}, not a system DLL" for dll in headers.imports
            if dll.lower() not in ALLOWED_IMPORTS]


def tls_faults(headers):
    rva, size = headers.directories.get(9, (0, 0))
    if rva or size:
        return [f"has a TLS directory at {rva:#x} (its callbacks run at load)"]
    return []


# ---- Returns -------------------------------------------------------------------------

class Instruction:
    def __init__(self, address, size, text):
        self.address = address
        self.size = size
        words = text.split(None, 1)
        while len(words) == 2 and words[0] in PREFIXES:
            words = words[1].split(None, 1)
        # Branch hints (jne,pt) do not change where a jump goes.
        self.mnemonic = words[0].split(",")[0] if words else ""
        self.operands = words[1].strip() if len(words) == 2 else ""
        self.text = " ".join(text.split())

    @property
    def next(self):
        return self.address + self.size


class Code:
    """The DLL's instructions by address, from one linear disassembly of its code.

    An address the linear pass did not start an instruction at (a jump into the middle
    of what it decoded, say) is disassembled afresh from there when a path reaches it.
    """

    def __init__(self, dll, headers):
        self.dll = dll
        self.headers = headers
        self.instructions = {}
        self._add(objdump(["-d", "-z", "--insn-width=16", dll]))

    def _add(self, listing):
        last = None
        for line in listing.split("\n"):
            m = LISTING_LINE.match(line)
            if not m:
                continue
            address = int(m.group(1), 16)
            size = len(m.group(2).split())
            if m.group(3) is None:  # bytes continued from the line before
                if last is not None:
                    last.size += size
                continue
            last = self.instructions.setdefault(address, Instruction(address, size, m.group(3)))

    def at(self, address):
        if address not in self.instructions:
            end = self.headers.section_end(address)
            if end is None:
                return None
            self._add(objdump(["-d", "-z", "--insn-width=16", f"--start-address={address:#x}",
                               f"--stop-address={end:#x}", self.dll]))
        return self.instructions.get(address)


def return_faults(code, start, pop):
    """Every fault on the paths from start: rets popping other than pop bytes, and
    what cannot be followed. An empty list means every path returns popping pop."""
    faults = []
    came_by_jump = {start: None}  # address -> the jump that first led there, if any
    seen = set()
    pending = [start]
    rets = 0

    def route(address):
        jumps = []
        while address is not None:
            via = came_by_jump.get(address)
            if via is not None:
                jumps.append(f"{via:#x}")
            address = via
        return f" (reached through the jump{'s' if len(jumps) > 1 else ''} at " \
               f"{', '.join(reversed(jumps))})" if jumps else ""

    def follow(from_address, to_address, jumped):
        if to_address not in seen:
            if jumped:
                came_by_jump.setdefault(to_address, from_address)
            elif to_address not in came_by_jump:
                # Fall-through keeps the route of the instruction before it.
                came_by_jump[to_address] = came_by_jump.get(from_address)
            pending.append(to_address)

    while pending:
        address = pending.pop()
        if address in seen:
            continue
        seen.add(address)
        insn = code.at(address)
        if insn is None:
            faults.append(f"a path runs to {address:#x}, outside the code{route(address)}")
            continue
        m = insn.mnemonic
        if m in ("(bad)", ".byte"):
            faults.append(f"undecodable bytes at {address:#x}{route(address)}")
        elif m in NEAR_RETURNS:
            rets += 1
            popped = int(insn.operands.lstrip("$"), 0) if insn.operands else 0
            if popped != pop:
                kind = " (a plain ret: the caller would have to pop)" if popped == 0 else ""
                faults.append(f"ret at {address:#x} pops {popped} bytes{kind}, must pop {pop}"
                              f"{route(address)}")
        elif m in OTHER_RETURNS:
            faults.append(f"'{insn.text}' at {address:#x} is no near return{route(address)}")
        elif m in TRAPS or (m == "int" and insn.operands == "$0x29"):
            pass  # the path ends without returning
        elif m.startswith("j") or m in CONDITIONAL:  # jmp and every jcc
            target = DIRECT_TARGET.match(insn.operands)
            if target is None:
                faults.append(f"indirect jump at {address:#x} ({insn.text}) cannot be followed"
                              f"{route(address)}")
                continue
            follow(address, int(target.group(1), 16), True)
            if m not in ("jmp", "jmpl"):
                follow(address, insn.next, False)
        elif m == "ljmp":
            faults.append(f"far jump at {address:#x} cannot be followed{route(address)}")
        else:
            # Calls return to the next instruction; everything else falls through.
            follow(address, insn.next, False)
    if rets == 0 and not faults:
        faults.append("no path reaches a ret")
    return faults


def expected_pop(name):
    return LOAD_DLL_POP if name.split("@")[0] == "LoadDll" else COMMAND_POP


def export_return_faults(dll, headers):
    """{export name: [faults]} for every export whose returns are not all sound."""
    if not headers.exports:
        return {"(none)": ["objdump lists no exports"]}
    code = Code(dll, headers)
    result = {}
    for name, entry in sorted(headers.exports.items()):
        if entry is None:
            faults = ["its address could not be found in the export table"]
        elif entry[1]:
            faults = ["forwarded to another DLL"]
        else:
            faults = return_faults(code, headers.image_base + entry[0], expected_pop(name))
        if faults:
            result[name] = faults
    return result


def describe(name, faults, limit=3):
    more = f"; and {len(faults) - limit} more" if len(faults) > limit else ""
    return f"Failure: {name}: " + "; ".join(faults[:limit]) + more


# ---- Running -------------------------------------------------------------------------

def check_one(dll, def_path, returns_only):
    headers = Headers(dll)
    faults = []
    if not returns_only:
        for check in (format_faults, lambda h: export_set_faults(h, def_path), import_faults,
                      tls_faults):
            faults += check(headers)
    for line in faults:
        print(f"Failure: {os.path.basename(dll)}: {line}")
    bad = export_return_faults(dll, headers)
    for name, why in bad.items():
        print(describe(name, why))
    print(f"{dll}: {len(headers.exports)} exports, {len(bad)} with unsound returns; "
          f"{len(faults)} header faults" + ("" if not returns_only else " (headers not checked)"))
    return not faults and not bad


def suite(build_root):
    real = os.path.join(build_root, "windows", "zel.winamp.dll")
    faulty = os.path.join(build_root, "windows", "faulty.dll")
    cache = {}

    def headers_of(dll):
        if dll not in cache:
            cache[dll] = Headers(dll)
        return cache[dll]

    def returns_of_real():
        return [describe(n, f) for n, f in export_return_faults(real, headers_of(real)).items()]

    def faulty_refusals():
        refused = export_return_faults(faulty, headers_of(faulty))
        faults = []
        for name in headers_of(faulty).exports:
            word = FAULTY_REFUSED.get(name)
            if word is None and name in refused:
                faults.append(f"{name} was refused but is sound: " + describe(name, refused[name]))
            elif word is not None and name not in refused:
                faults.append(f"{name} passed but must be refused ({word})")
            elif word is not None and not any(word in f for f in refused[name]):
                faults.append(f"{name} was refused for another reason than '{word}': "
                              + describe(name, refused[name]))
        faults += [f"{name} is not exported by faulty.dll" for name in FAULTY_REFUSED
                   if name not in headers_of(faulty).exports]
        for name in sorted(set(refused) & set(FAULTY_REFUSED)):
            print("refused as it should be: " + describe(name, refused[name])[len("Failure: "):])
        return faults

    tests = [
        ("X86Dll.IsAPe32I386File", lambda: format_faults(headers_of(real))),
        ("X86Dll.ExportsExactlyTheDefNames", lambda: export_set_faults(headers_of(real), DEFAULT_DEF)),
        ("X86Dll.ImportsOnlySystemDlls", lambda: import_faults(headers_of(real))),
        ("X86Dll.HasNoTlsDirectory", lambda: tls_faults(headers_of(real))),
        ("X86Dll.EveryExportPopsItsArgumentsOnEveryPath", returns_of_real),
        ("FaultyDll.ReturnCheckRefusesExactlyTheWrongExports", faulty_refusals),
    ]
    return run_tests(f"static checks of {real}", tests, errors=(CheckError,))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("dll", nargs="?")
    parser.add_argument("--def", dest="def_path", default=DEFAULT_DEF,
                        help="the .def file whose names the DLL must export exactly")
    parser.add_argument("--returns-only", action="store_true",
                        help="check only that every export pops its arguments")
    parser.add_argument("--suite", metavar="BUILD_ROOT",
                        help="check the build's x86 DLL and prove the check on faulty.dll")
    args = parser.parse_args()
    if bool(args.suite) == bool(args.dll):
        parser.error("give a DLL or --suite BUILD_ROOT")
    try:
        ok = suite(args.suite) if args.suite else check_one(args.dll, args.def_path, args.returns_only)
    except CheckError as e:
        print(f"Failure: {e}")
        ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
