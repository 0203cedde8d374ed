#!/usr/bin/env python3
"""glimmer-pack from the outside: what build writes, what list and extract read back, and the
clear refusal of bad input and damaged containers without leaving files behind."""
import os
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "pack"))
import pack_files as F  # noqa: E402

PACK = sys.argv[1]
SHORT = F.SHORT
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def bmp(width, height, bits, colours=None, cut=0):
    """A BMP file; indexed pictures get a table of `colours` entries (0: all of them)."""
    data = F.bmp_file(F.dib(width, height, bits, colours, fill=1))
    return data[:-cut] if cut else data


def run(*args):
    return subprocess.run([PACK, *args], capture_output=True, text=True, timeout=60)


with tempfile.TemporaryDirectory() as d:
    p = lambda name: os.path.join(d, name)
    files = {
        "setup.exe": F.image(4096),
        "engine.exe": F.image(3072, F.CARRIED_TAG),
        "preview.bmp": bmp(80, 60, 8, 0),
        "logo.bmp": bmp(32, 20, 24),
        "s1.bmp": bmp(40, 30, 8, 256),
        "s2.bmp": bmp(41, 31, 8, 16),
        "cut.bmp": bmp(40, 30, 8, 256, cut=1),
        "notbmp.bmp": b"GIF89a" + bytes(100),
        "stamped.exe": F.stamped(F.image(4096)),
    }
    for name, data in files.items():
        with open(p(name), "wb") as f:
            f.write(data)
    name = "Demo Saver Nineteen"
    base = ["-o", p("out.exe"), "--setup", p("setup.exe"), "--engine", p("engine.exe"),
            "--name", name, "--preview", p("preview.bmp"), "--options", "DV",
            "--logo", p("logo.bmp")]

    # A good installer: stamp, records in order, end record last.
    r = run("build", *base, p("s1.bmp"), p("s2.bmp"))
    check(r.returncode == 0, "build succeeds: " + r.stderr)
    out = open(p("out.exe"), "rb").read()
    check(out[80:106] == SHORT, "short stub message at 80")
    check(struct.unpack_from("<I", out, 106)[0] == 4096, "payload offset = image size")
    recs = F.records(out, 4096)
    check([k for _, k, _ in recs] == [1, 2, 3, 1, 2, 2, 2, 0], "record order %s" % recs)
    check(out[4096 + 6:4096 + 6 + len(name) + 1] == name.encode() + b"\0", "name record")
    check(out[-6:] == bytes(6) and recs[-1][0] == len(out) - 6, "end record is the last 6 bytes")
    check(out[recs[2][0] + 6:recs[2][0] + 6 + 3072] == files["engine.exe"],
          "engine carried unstamped")
    lines = run("list", p("out.exe")).stdout.splitlines()
    check(lines[0] == "payload offset 4096", "list starts with the offset: %r" % lines[:1])
    expect = ["%d %s %d" % (o, ["End", "Text", "Dib", "Executable"][k], s) for o, k, s in recs]
    got = [" ".join(l.split()[:3]) for l in lines[1:]]
    check(got == expect, "list reads back what build wrote:\n%s\n%s" % (got, expect))
    check(lines[2].endswith("80x60x8") and lines[5].endswith("32x20x24"), "list sizes")
    r = run("extract", p("out.exe"), p("x"))
    check(r.returncode == 0 and open(p("x/01-Dib.bmp"), "rb").read() == files["preview.bmp"],
          "extract gives the preview back as the BMP it came from")
    check(open(p("x/00-Text.txt"), "rb").read() == name.encode(), "extract gives the name")

    # A saver file: engine patched to 4.0 and stamped with its own size, no name or preview.
    r = run("saver", "-o", p("s.scr"), "--engine", p("engine.exe"), "--options", "DV",
            "--logo", p("logo.bmp"), p("s1.bmp"))
    scr = open(p("s.scr"), "rb").read()
    check(r.returncode == 0 and struct.unpack_from("<HH", scr, 328) == (4, 0), "saver patched")
    check([k for _, k, _ in F.records(scr, 3072)] == [1, 2, 2, 0], "saver records")

    # Bad input: non-zero exit, the file and the reason named, nothing left behind.
    many = [p("s1.bmp")] * 101
    bad = [
        ("missing slide", base + [p("nope.bmp")], "nope.bmp"),
        ("not a BMP", base + [p("notbmp.bmp")], "notbmp.bmp: cannot decode GIF"),
        ("rows cut short", base + [p("cut.bmp")],
         "cut.bmp: its pixel rows run past the end of the file"),
        ("name with a hyphen", [a if a != name else "My-Saver" for a in base] + [p("s1.bmp")],
         'and "-" is none of them'),
        ("name of 80 characters", [a if a != name else "N" * 80 for a in base] + [p("s1.bmp")],
         "it is 80 characters long; the installer takes 79 at most"),
        ("empty name", [a if a != name else "" for a in base] + [p("s1.bmp")], "it is empty"),
        ("name of a device", [a if a != name else "nul" for a in base] + [p("s1.bmp")],
         "Windows keeps it for a device"),
        ("stamped setup", [a if a != p("setup.exe") else p("stamped.exe") for a in base]
         + [p("s1.bmp")], "stamped.exe: not an unstamped"),
        ("picture as engine", [a if a != p("engine.exe") else p("s1.bmp") for a in base]
         + [p("s1.bmp")], "s1.bmp: not an unstamped"),
        ("101 slides", base + many, "at most 100"),
        ("address of 128 characters", [a if a != "DV" else "DV" + "a" * 128 for a in base]
         + [p("s1.bmp")], "longer than 127"),
        ("no slides", base, "no slide"),
    ]
    for what, args, message in bad:
        if os.path.exists(p("out.exe")):
            os.remove(p("out.exe"))
        r = run("build", *args)
        check(r.returncode != 0, what + ": non-zero exit")
        check(message in r.stderr, what + ": message %r in %r" % (message, r.stderr))
        leftovers = [f for f in os.listdir(d) if f.startswith("out.exe")]
        check(leftovers == [], what + ": nothing left behind %s" % leftovers)
    r = run("build", *base, "--max-slides", "3", *many)
    check(r.returncode == 0 and len(F.records(open(p("out.exe"), "rb").read(), 4096)) == 9,
          "--max-slides keeps the first slides")

    # Damaged containers: refused with exit status 1 (a crash would end it by a signal), the file
    # and the reason named, and nothing listed as if it were read.
    good = open(p("out.exe"), "rb").read()
    first = 4096
    hostile = [
        ("kind 4", good[:first] + struct.pack("<HI", 4, 0), "unknown record kind 4"),
        ("end with a size", good[:first] + struct.pack("<HI", 0, 5) + bytes(5),
         "end record with size 5"),
        ("record cut short", good[:-100], "only"),
        ("size far beyond the end", good[:first] + struct.pack("<HI", 2, 0xFFFFFFF0) + bytes(10),
         "4294967280 bytes but only 10"),
        ("no end record", good[:-6], "no end record"),
        ("not stamped", F.image(4096), "not a container"),
    ]
    for what, data, message in hostile:
        with open(p("bad.exe"), "wb") as f:
            f.write(data)
        r = run("list", p("bad.exe"))
        errors = r.stderr.splitlines()
        check(r.returncode == 1, what + ": exit status 1, not %d" % r.returncode)
        check(errors and errors[0].startswith("glimmer-pack: " + p("bad.exe")) and
              message in r.stderr, what + ": the file and %r named: %r" % (message, r.stderr))
        check(not any(" End 0" in line for line in r.stdout.splitlines()),
              what + ": no end record listed: %r" % r.stdout)

print("%d checks failed" % len(failures) if failures else "all checks passed")
sys.exit(1 if failures else 0)
