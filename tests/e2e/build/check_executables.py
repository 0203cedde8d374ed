#!/usr/bin/env python3
"""Static checks of every Windows executable the build makes, i686 and x86_64: the DOS header
of 4 paragraphs with e_lfanew 256, the stub code and its message at 80 (the long message, or the
short one and a payload offset in a packed installer), a PE image objdump still parses, the
engine's subsystem version 3.10 and the setup image's at most 4.0, MainDlg exported by name from
setup, the section table as the PE format requires it (raw sizes and raw offsets multiples of
the file alignment, raw data within the file, virtual addresses aligned to the section
alignment), and for the i686 programs that a Windows 95 PC runs: imports only from the DLLs and
functions that Windows 95 offers (win95_imports.txt), no TLS directory, and no instruction that
an 80386 lacks. The engine image an installer carries in its payload gets the same checks.

    check_executables.py WIN32_BUILD [WIN64_BUILD]
    check_executables.py --scan FILE...     only the instruction scan; exit 1 on a finding
    check_executables.py --pe-faults FILE   the section-table and subsystem checks find each
                                            fault planted in copies of FILE; exit 1 if not
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
            check(line not in allowed[dll], "win95_imports.txt lists %s!%s twice" % (dll, line))
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


def pe_problems(data, limit=None, setup=False):
    """What is wrong with the PE headers of an image: its section table against the file and
    section alignments and against the file's first `limit` bytes (the whole file by default),
    and for the setup image a subsystem version above 4.0."""
    limit = len(data) if limit is None else limit
    problems = []
    if len(data) < 64 or data[:2] != b"MZ":
        return ["no MZ header"]
    pe = struct.unpack_from("<I", data, 60)[0]
    if pe + 24 > len(data) or data[pe:pe + 4] != b"PE\0\0":
        return ["no PE signature"]
    sections, optional_size = struct.unpack_from("<H", data, pe + 6)[0], \
        struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    section_alignment, file_alignment = struct.unpack_from("<II", data, optional + 32)
    major, minor = struct.unpack_from("<HH", data, optional + 48)
    if setup and (major, minor) > (4, 0):
        problems.append("subsystem version %d.%d is above 4.0" % (major, minor))
    table = optional + optional_size
    if table + 40 * sections > len(data):
        return problems + ["section table runs past the end of the file"]
    for i in range(sections):
        entry = table + 40 * i
        name = data[entry:entry + 8].rstrip(b"\0").decode("latin-1")
        address, raw_size, raw_offset = struct.unpack_from("<III", data, entry + 12)
        if raw_size % file_alignment:
            problems.append("section %s: raw size 0x%x is not a multiple of the file alignment "
                            "0x%x" % (name, raw_size, file_alignment))
        if raw_offset % file_alignment:
            problems.append("section %s: raw data at 0x%x is not aligned to 0x%x" % (
                name, raw_offset, file_alignment))
        if raw_size and raw_offset + raw_size > limit:
            problems.append("section %s: raw data 0x%x to 0x%x lies outside the file of 0x%x "
                            "bytes" % (name, raw_offset, raw_offset + raw_size, limit))
        if address % section_alignment:
            problems.append("section %s: virtual address 0x%x is not aligned to the section "
                            "alignment 0x%x" % (name, address, section_alignment))
    return problems


def check_pe(data, name, limit=None, setup=False):
    for problem in pe_problems(data, limit, setup):
        check(False, name + ": " + problem)


def pe_faults(path):
    """Plants each fault the PE checks look for in a copy of the image and checks that it is
    found, and that the image itself passes."""
    data = open(path, "rb").read()
    check(pe_problems(data, setup=True) == [], path + ": passes as it is")
    pe = struct.unpack_from("<I", data, 60)[0]
    table = pe + 24 + struct.unpack_from("<H", data, pe + 20)[0]
    last = table + 40 * (struct.unpack_from("<H", data, pe + 6)[0] - 1)

    def planted(offset, fmt, value):
        copy = bytearray(data)
        struct.pack_into(fmt, copy, offset, value)
        return bytes(copy)

    raw_size, raw_offset = struct.unpack_from("<II", data, last + 16)
    rows = [
        ("raw size off the file alignment", planted(last + 16, "<I", raw_size - 0x38),
         "is not a multiple of the file alignment"),
        ("raw data beyond the end", planted(last + 20, "<I", len(data)),
         "lies outside the file"),
        ("raw offset off the file alignment", planted(last + 20, "<I", raw_offset + 8),
         "is not aligned to"),
        ("virtual address off the section alignment",
         planted(last + 12, "<I", struct.unpack_from("<I", data, last + 12)[0] + 0x100),
         "is not aligned to the section alignment"),
        ("subsystem 4.10", planted(pe + 24 + 50, "<H", 10), "subsystem version 4.10 is above 4.0"),
        ("subsystem 5", planted(pe + 24 + 48, "<H", 5), "is above 4.0"),
    ]
    for what, copy, message in rows:
        found = pe_problems(copy, setup=True)
        check(any(message in problem for problem in found), "%s: %s found as %s" % (
            path, what, found))
    print("%d planted faults tried, %d not found" % (len(rows), len(failures)))
    sys.exit(1 if failures else 0)


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
    # A packed installer's image ends where its payload begins.
    image_end = struct.unpack_from("<I", data, 106)[0] if packed else len(data)
    check_pe(data, name, image_end, setup=base.startswith("setup"))
    if win32:
        check(not re.search(r"Entry 9 [0-9a-f]*[1-9a-f][0-9a-f]* ", text),
              name + ": no TLS directory")
        check_instructions(path, name)
        engine = carried_engine(data) if packed else None
        if packed:
            check(engine is not None, name + ": carries an engine image")
        if engine:
            check_pe(engine, name + " (the engine it carries)")
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
    if sys.argv[1] == "--pe-faults":
        pe_faults(sys.argv[2])
    builds = [(sys.argv[1], "i686-w64-mingw32-objdump", True)]
    if len(sys.argv) > 2 and os.path.isdir(os.path.join(sys.argv[2], "out")):
        builds.append((sys.argv[2], "x86_64-w64-mingw32-objdump", False))
    allowed = allowed_imports()
    checked = 0
    imported = set()
    for build, objdump, win32 in builds:
        files = sorted(set(glob.glob(build + "/out/*.exe") + glob.glob(build + "/engine/*.exe")
                           + glob.glob(build + "/setup/*.exe")))
        check(any(os.path.basename(f) == "glimmer.exe" for f in files), build + ": glimmer.exe built")
        for path in files:
            imports = check_file(path, objdump, win32, allowed)
            if win32:
                imported |= {(dll, f) for dll, functions in imports.items() for f in functions}
            checked += 1
    # The list holds what the programs import and nothing more, so that an import that comes
    # back is confirmed again.
    for dll, functions in sorted(allowed.items()):
        for f in sorted(functions):
            check((dll, f) in imported,
                  "win95_imports.txt lists %s!%s, which no program imports" % (dll, f))
    print("%d executables checked, %d problems" % (checked, len(failures)))
    sys.exit(1 if failures else 0)


main()
