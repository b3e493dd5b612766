#!/usr/bin/env python3
"""Vets the ARM64 DLL by reading it, whether or not this machine can run it: a PE32+
file for ARM64, exactly the export names of src/host/exports.def (and so the x64 DLL's),
imports from system DLLs only and exactly the names cmake/arm64-imports/*.def list, the
same Win32 functions as the x64 DLL, no TLS directory.

  check_arm64_dll.py BUILD_ROOT
      Reads BUILD_ROOT/windows-arm64/zel.winamp.dll and BUILD_ROOT/windows-x64/zel.winamp.dll.
      Prints GoogleTest-style lines and counts; exits 1 when a check fails.

The file is read here directly (no binutils reads a PE file for ARM64).
"""
import glob
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from check_x86_dll import (DEFAULT_DEF, SOURCE_DIR, export_set_faults,  # noqa: E402
                           import_faults, tls_faults, read_def)
from test_report import run_tests  # noqa: E402

IMPORT_DEFS = os.path.join(SOURCE_DIR, "cmake", "arm64-imports")
MACHINE_ARM64 = 0xAA64
PE32_PLUS = 0x20B
FILE_DLL = 0x2000
# The C library helpers compilers call for copies and fills: which ones a compiler calls
# is its own choice, so these alone may differ between the x64 and the ARM64 DLL.
COMPILER_HELPERS_DLL = "msvcrt.dll"


class PeFile:
    """The parts of a PE file the checks read: the headers, the export names and the
    imported functions by DLL (attribute names as check_x86_dll's Headers)."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = data = f.read()
        if data[:2] != b"MZ":
            raise ValueError(f"{path} is no PE file")
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError(f"{path} has no PE signature")
        self.machine, sections, _, _, _, optional_size, self.characteristics = \
            struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = self.u16(optional)
        first_directory = optional + (112 if self.magic == PE32_PLUS else 96)
        count = self.u32(first_directory - 4)
        self.directories = {i: struct.unpack_from("<II", data, first_directory + 8 * i)
                            for i in range(min(count, 16))}
        self.sections = [struct.unpack_from("<IIII", data, optional + optional_size + 40 * i + 8)
                         for i in range(sections)]  # virtual size, address, raw size, raw offset
        self.exports = self._exports()
        self.functions = self._imports()  # {dll name lower case: set of names}
        self.imports = sorted(self.functions)

    def u16(self, at):
        return struct.unpack_from("<H", self.data, at)[0]

    def u32(self, at):
        return struct.unpack_from("<I", self.data, at)[0]

    def offset(self, rva):
        for size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise ValueError(f"address {rva:#x} lies in no section")

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("latin-1")

    def _exports(self):
        rva, size = self.directories.get(0, (0, 0))
        if not size:
            return {}
        at = self.offset(rva)
        names, functions, name_table, ordinals = struct.unpack_from("<IIII", self.data, at + 24)
        result = {}
        for i in range(names):
            index = self.u16(self.offset(ordinals) + 2 * i)
            target = self.u32(self.offset(functions) + 4 * index)
            result[self.text(self.u32(self.offset(name_table) + 4 * i))] = \
                (target, rva <= target < rva + size)
        return result

    def _imports(self):
        rva, size = self.directories.get(1, (0, 0))
        result = {}
        if not size:
            return result
        wide = self.magic == PE32_PLUS
        at = self.offset(rva)
        while True:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, at)
            if name == 0:
                return result
            table = self.offset(lookup or thunks)
            names = result.setdefault(self.text(name).lower(), set())
            while True:
                entry = struct.unpack_from("<Q" if wide else "<I", self.data, table)[0]
                if entry == 0:
                    break
                by_ordinal = entry >> (63 if wide else 31)
                names.add(f"#{entry & 0xFFFF}" if by_ordinal else self.text((entry & 0x7FFFFFFF) + 2))
                table += 8 if wide else 4
            at += 20


def format_faults(pe):
    faults = []
    if pe.machine != MACHINE_ARM64:
        faults.append(f"machine is {pe.machine:#06x}, not ARM64 ({MACHINE_ARM64:#06x})")
    if pe.magic != PE32_PLUS:
        faults.append(f"optional header is not PE32+ (magic {pe.magic:#06x})")
    if not pe.characteristics & FILE_DLL:
        faults.append("the file is not marked as a DLL")
    return faults


def listed_imports():
    """{dll name lower case: set of names} of the import .def files."""
    listed = {}
    for path in glob.glob(os.path.join(IMPORT_DEFS, "*.def")):
        with open(path) as f:
            library = next(line.split()[1] for line in f if line.startswith("LIBRARY"))
        listed[library.lower()] = set(read_def(path))
    return listed


def set_faults(have, want, what_have, what_want):
    faults = []
    for dll in sorted(set(have) | set(want)):
        for name in sorted(have.get(dll, set()) - want.get(dll, set())):
            faults.append(f"{what_have} imports {dll} {name}, {what_want} does not")
        for name in sorted(want.get(dll, set()) - have.get(dll, set())):
            faults.append(f"{what_want} lists {dll} {name}, {what_have} does not import it")
    return faults


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    build = sys.argv[1]
    arm_path = os.path.join(build, "windows-arm64", "zel.winamp.dll")
    x64_path = os.path.join(build, "windows-x64", "zel.winamp.dll")
    try:
        arm, x64 = PeFile(arm_path), PeFile(x64_path)
    except (OSError, ValueError, struct.error) as e:
        print(f"Failure: {e}")
        return 1

    def same_exports_as_x64():
        return ([f"exports {n}, the x64 DLL does not" for n in sorted(set(arm.exports) - set(x64.exports))] +
                [f"lacks the x64 DLL's export {n}" for n in sorted(set(x64.exports) - set(arm.exports))])

    def same_calls_as_x64():
        def win32(pe):
            return {d: n for d, n in pe.functions.items() if d != COMPILER_HELPERS_DLL}
        return set_faults(win32(arm), win32(x64), "the ARM64 DLL", "the x64 DLL")

    tests = [
        ("Arm64Dll.IsAPe32PlusArm64Dll", lambda: format_faults(arm)),
        ("Arm64Dll.ExportsExactlyTheDefNames", lambda: export_set_faults(arm, DEFAULT_DEF)),
        ("Arm64Dll.ExportsWhatTheX64DllExports", same_exports_as_x64),
        ("Arm64Dll.ImportsOnlySystemDlls", lambda: import_faults(arm)),
        ("Arm64Dll.ImportsExactlyWhatItsImportListsName",
         lambda: set_faults(arm.functions, listed_imports(), "the ARM64 DLL", "cmake/arm64-imports")),
        ("Arm64Dll.CallsTheSameWin32FunctionsAsTheX64Dll", same_calls_as_x64),
        ("Arm64Dll.HasNoTlsDirectory", lambda: tls_faults(arm)),
    ]
    return 0 if run_tests(f"static checks of {arm_path}", tests) else 1

if __name__ == "__main__":
    sys.exit(main())
