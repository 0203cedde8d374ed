#!/usr/bin/env python3
"""Tiny hostile pictures are refused without the memory they ask for and without a crash: a
41-byte PNG whose text chunk declares 1.9 GB, and a 450-byte HEIF grid that declares 26991 x
30316 pixels for a picture of 9 x 7 (each once cost glimmer-pack gigabytes before it refused
them); a 450-byte HEIF identity item made from an item of the unknown type "hvc2" (libheif
asserted on it, which once ended glimmer-pack), and a 476-byte one whose reference to such an
item runs past the end of its iref box (libheif reads it all the same). glimmer-pack runs on
each as a child whose peak resident memory is read back; the bound is far below what the
files ask for and far above what refusing them takes.

    hostile_test.py GLIMMER_PACK FIXTURE_DIR
"""
import os
import resource
import struct
import subprocess
import sys
import tempfile

PACK, FIXTURES = sys.argv[1], sys.argv[2]
# Peak resident memory allowed for refusing one of these files, in KiB.
PEAK_KIB = 100 * 1024
# A safety net only: the address space a run may take, so that a regression fails this test
# rather than the machine. It lies above what the old code reached.
ADDRESS_SPACE = 4 << 30
CASES = [
    ("png-chunk-bomb.png", "cannot decode PNG"),
    ("heif-grid-bomb.heic", "declares a canvas of 26991 x 30316 pixels for a picture of 9 x 7"),
    ("heif-identity-of-hvc2.heic",
     'the identity item 2 is made from item 1 of type "hvc2", a kind of picture the HEIF decoder'
     ' does not read'),
    ("heif-reference-past-iref.heic",
     'the identity item 2 is made from item 1 of type "hvc0", a kind of picture the HEIF decoder'
     ' does not read'),
]
failures = []


def executable(size):
    """An unstamped executable: long stub message at 80, subsystem 3.10 at 328."""
    b = bytearray(size)
    b[0:2] = b"MZ"
    b[80:119] = b"This program must be run under Win32\r\n$"
    struct.pack_into("<HH", b, 328, 3, 10)
    return bytes(b)


def limit():
    resource.setrlimit(resource.RLIMIT_AS, (ADDRESS_SPACE, ADDRESS_SPACE))


with tempfile.TemporaryDirectory() as d:
    engine = os.path.join(d, "engine.exe")
    with open(engine, "wb") as f:
        f.write(executable(3072))
    for name, reason in CASES:
        picture = os.path.join(FIXTURES, name)
        out = os.path.join(d, name + ".scr")
        with tempfile.TemporaryFile("w+") as err:
            child = subprocess.Popen([PACK, "saver", "-o", out, "--engine", engine, "--options",
                                      "DV", "--logo", picture, picture],
                                     stdout=subprocess.DEVNULL, stderr=err, preexec_fn=limit)
            # wait4 gives this child's own peak resident memory.
            _, status, usage = os.wait4(child.pid, 0)
            child.returncode = code = os.waitstatus_to_exitcode(status)
            err.seek(0)
            stderr = err.read()
        peak = usage.ru_maxrss
        print("%s: exit %d, peak %d KiB, %s" % (name, code, peak, stderr.strip()))
        if code != 1:
            failures.append("%s: exit code %d" % (name, code))
        if name + ": " not in stderr or reason not in stderr:
            failures.append("%s: message %r lacks the file or %r" % (name, stderr, reason))
        if peak > PEAK_KIB:
            failures.append("%s: peak %d KiB, above %d KiB" % (name, peak, PEAK_KIB))
        if os.path.exists(out):
            failures.append("%s: output left behind" % name)

for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
