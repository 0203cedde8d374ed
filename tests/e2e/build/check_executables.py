#!/usr/bin/env python3
"""Static checks of every Windows executable the build makes, i686 and x86_64: the DOS header
of 4 paragraphs with e_lfanew 256, the stub code and its message at 80 (the long message, or the
short one and a payload offset in a packed installer), a PE image objdump still parses, the
engine's subsystem version 3.10, MainDlg exported by name from setup, and for the i686 programs
that a Windows 95 PC runs: imports only from the DLLs and functions that Windows 95 offers
(win95_imports.txt), no TLS directory, and no instruction that an 80386 lacks, in each program
and in the engine image an installer carries in its payload.

    check_executables.py WIN32_BUILD [WIN64_BUILD]
    check_executables.py --scan FILE...     only the instruction scan; exit 1 on a finding
"""
import glob
import os
import re
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
LONG = b"This program must be run under Win32\r\n$"
SHORT = b"Must be run under Win32\r\n$"
STUB = bytes([0x0E, 0x1F, 0xBA, 0x10, 0x00, 0xB4, 0x09, 0xCD, 0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21])
failures = []

# Instructions and registers newer than the 80386: 486 (bswap, cmpxchg, xadd, invd, wbinvd,
# invlpg), Pentium (cpuid, rdtsc, cmpxchg8b, rdmsr, wrmsr), Pentium Pro (cmov, fcmov, fcomi,
# fucomi, rdpmc, sysenter, the long nopl/nopw), later fences and prefetches, and any MMX, SSE or
# AVX register.
POST_386 = re.compile(r"\t(cmov|fcmov|fcomi|fucomi|bswap|cmpxchg|xadd|cpuid|rdtsc|rdpmc|rdmsr"
                      r"|wrmsr|sysenter|sysexit|invd|wbinvd|invlpg|nopl|nopw|prefetch|[lsm]fence"
                      r"|movnti|clflush)|%[xyz]?mm[0-9]")


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def allowed_imports():
    allowed = {}
    dll = None
    for line in open(os.path.join(HERE, "win95_imports.txt")):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        if line.startswith("[") and line.endswith("]"):
            dll = line[1:-1].upper()
            allowed[dll] = set()
        else:
            allowed[dll].add(line)
    return allowed


def imports_and_exports(objdump, path):
    text = subprocess.run([objdump, "-p", path], capture_output=True, text=True).stdout
    imports, exports, dll, section = {}, [], None, None
    for line in text.splitlines():
        if line.startswith("\tDLL Name:"):
            dll = line.split(":", 1)[1].strip().upper()
            imports[dll] = []
            section = "imports"
        elif line.startswith("[Ordinal/Name Pointer] Table"):
            section = "exports"
        elif section == "imports" and dll and line.startswith("\t") and line.strip():
            parts = line.split()
            if len(parts) >= 3 and parts[0] != "vma:":
                imports[dll].append(parts[2])
        elif section == "exports" and line.strip().startswith("["):
            exports.append(line.split("]", 1)[1].strip())
        elif not line.strip():
            dll = None if section == "imports" else dll
    return text, imports, exports


def post_386_instructions(path):
    """Disassembled lines of the image holding instructions a 386 lacks."""
    text = subprocess.run(["i686-w64-mingw32-objdump", "-d", path], capture_output=True,
                          text=True, check=True).stdout
    return [line.strip() for line in text.splitlines() if POST_386.search(line)]


def check_instructions(path, name):
    found = post_386_instructions(path)
    check(not found, "%s: %d instructions newer than the 80386, the first: %s" % (
        name, len(found), found[:3]))


def carried_engine(data):
    """The Executable record of a packed installer's payload, or None."""
    position = struct.unpack_from("<I", data, 106)[0]
    while position + 6 <= len(data):
        kind, size = struct.unpack_from("<HI", data, position)
        if kind == 3:
            return data[position + 6:position + 6 + size]
        if kind == 0:
            break
        position += 6 + size
    return None


def check_file(path, objdump, win32, allowed):
    name = os.path.relpath(path)
    data = open(path, "rb").read()
    check(data[:2] == b"MZ" and struct.unpack_from("<H", data, 8)[0] == 4,
          name + ": DOS header of 4 paragraphs")
    check(struct.unpack_from("<I", data, 60)[0] == 256 and data[256:260] == b"PE\0\0",
          name + ": PE headers at 256")
    check(data[64:78] == STUB, name + ": stub code at 64")
    packed = data[80:106] == SHORT
    check(data[80:119] == LONG or packed, name + ": stub message at 80")
    if packed:
        check(struct.unpack_from("<I", data, 106)[0] < len(data), name + ": payload offset")
    text, imports, exports = imports_and_exports(objdump, path)
    check("file format pei-" in text, name + ": objdump parses it")
    major, minor = struct.unpack_from("<HH", data, 328)
    base = os.path.basename(path).lower()
    if base.startswith("glimmer"):
        check((major, minor) == (3, 10), name + ": subsystem version 3.10, not %d.%d" % (major, minor))
    if base.startswith("setup"):
        check("MainDlg" in exports, name + ": MainDlg exported by name (%s)" % exports)
    if win32:
        check(not re.search(r"Entry 9 [0-9a-f]*[1-9a-f][0-9a-f]* ", text),
              name + ": no TLS directory")
        check_instructions(path, name)
        engine = carried_engine(data) if packed else None
        if packed:
            check(engine is not None, name + ": carries an engine image")
        if engine:
            with tempfile.NamedTemporaryFile(suffix=".exe") as copy:
                copy.write(engine)
                copy.flush()
                check_instructions(copy.name, name + " (the engine it carries)")
        for dll, functions in sorted(imports.items()):
            check(dll in allowed, name + ": imports from " + dll)
            for f in functions:
                check(f in allowed.get(dll, ()), name + ": %s!%s is not known on Windows 95" % (dll, f))
    return imports


def scan_only(paths):
    for path in paths:
        found = post_386_instructions(path)
        for line in found:
            print("%s: %s" % (path, line))
        check(not found, "%s: %d instructions newer than the 80386" % (path, len(found)))
    sys.exit(1 if failures else 0)


def main():
    if sys.argv[1] == "--scan":
        scan_only(sys.argv[2:])
    builds = [(sys.argv[1], "i686-w64-mingw32-objdump", True)]
    if len(sys.argv) > 2 and os.path.isdir(os.path.join(sys.argv[2], "out")):
        builds.append((sys.argv[2], "x86_64-w64-mingw32-objdump", False))
    allowed = allowed_imports()
    checked = 0
    for build, objdump, win32 in builds:
        files = sorted(set(glob.glob(build + "/out/*.exe") + glob.glob(build + "/engine/*.exe")
                           + glob.glob(build + "/setup/*.exe")))
        check(any(os.path.basename(f) == "glimmer.exe" for f in files), build + ": glimmer.exe built")
        for path in files:
            check_file(path, objdump, win32, allowed)
            checked += 1
    print("%d executables checked, %d problems" % (checked, len(failures)))
    sys.exit(1 if failures else 0)


main()
