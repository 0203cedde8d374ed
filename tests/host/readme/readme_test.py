#!/usr/bin/env python3
"""Every glimmer-pack command line in the README's examples runs, and prints what the README
shows, so the README cannot drift from the tool.

    readme_test.py README GLIMMER_PACK WIN32_BUILD

The README's code blocks (lines indented by four blanks) are read in order. A line that starts
with `glimmer-pack ` is a command (a trailing backslash continues it); the lines below it, up
to the next command or the end of the block, are what it prints: lines starting with
`glimmer-pack:` its standard error, the others its standard output. Where a command shows
output, the lines it prints must be those, in order, where `...` stands for any text and a
number of four or more digits for any number (offsets and sizes change with the programs);
a command whose output says "not written" or holds a `problem:` line must fail, any other
must succeed. Synopsis lines with placeholders (FILE, NAME, OUT.exe and the like) are not run.

The commands run in a shell, in order, in a folder holding the pictures the examples name,
with HOME inside it and a glimmer-pack installed beside the i686 images it packs. Exits with
77 (skipped) when the i686 images have not been built.
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

PLACEHOLDERS = {"FILE", "DIR", "OUT.exe", "OUT.scr", "NAME", "COMMAND", "PICTURE|FOLDER...",
                "[options]", "TEXT", "N", "WxH"}
IMAGES = {"setup.exe": "setup/setup.exe", "glimmer-carried.exe": "engine/glimmer-carried.exe"}


def examples(readme):
    """(line number, command, shown output lines) for each command line in a code block."""
    found = []
    block_open = False
    previous_blank = True
    command = None
    lines = open(readme, encoding="utf-8").read().splitlines()
    i = 0
    while i < len(lines):
        line = lines[i]
        code = line.startswith("    ") and (block_open or previous_blank)
        block_open = code or (block_open and not line.strip())
        previous_blank = not line.strip()
        text = line[4:].rstrip() if code else ""
        if not code:
            command = None
        elif text.startswith("glimmer-pack "):
            number = i + 1
            while text.endswith("\\") and i + 1 < len(lines):
                i += 1
                text = text[:-1].rstrip() + " " + lines[i].strip()
            command = [number, text, []]
            found.append(command)
        elif command is not None and text:
            command[2].append(text)
        i += 1
    return [c for c in found if not PLACEHOLDERS & set(c[1].split())]


def pattern(shown):
    """A shown output line as a regular expression over a printed line."""
    parts = re.split(r"(\.\.\.|\d{4,})", shown)
    text = "".join(".*" if p == "..." else r"\d+" if p.isdigit() and len(p) >= 4
                   else re.escape(p) for p in parts)
    return re.compile(text + r"\Z")


def compare(shown, printed):
    """Why printed differs from shown, or None."""
    if len(shown) != len(printed):
        return "%d lines shown, %d printed" % (len(shown), len(printed))
    for expected, line in zip(shown, printed):
        if not pattern(expected).match(line):
            return "shown %r, printed %r" % (expected, line)
    return None


def bmp(path, width, height, bits, rows, cut=0):
    """An uncompressed BMP; cut leaves that many bytes of its pixel rows out."""
    table = bytes(4 << bits) if bits <= 8 else b""
    stride = (width * bits + 31) // 32 * 4
    pixels = bytes([rows]) * (stride * height)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, 0, 0, 0, 0, 0)
    offset = 14 + len(info) + len(table)
    data = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + table
    with open(path, "wb") as f:
        f.write((data + pixels)[:len(data) + len(pixels) - cut])


def convert(*args):
    subprocess.run(["convert", *args], check=True, capture_output=True)


def make_pictures(work):
    """The pictures and folders the README's examples name."""
    holiday = os.path.join(work, "home", "Pictures", "holiday")
    os.makedirs(holiday)
    convert("-size", "1200x900", "gradient:red-blue", "-quality", "85",
            os.path.join(holiday, "01 beach.jpg"))
    convert("-size", "640x480", "plasma:", "-seed", "3", os.path.join(holiday, "02 hills.png"))
    bmp(os.path.join(holiday, "03 garden.bmp"), 320, 240, 8, 7)

    # A folder with a damaged and a renamed picture beside good ones and a note.
    bad = os.path.join(work, "holiday")
    os.makedirs(bad)
    shutil.copy(os.path.join(holiday, "01 beach.jpg"), os.path.join(bad, "harbour.jpg"))
    with open(os.path.join(bad, "beach.png"), "w") as f:
        f.write("<html>a web page saved under a picture's name</html>\n")
    with open(os.path.join(bad, "notes.txt"), "w") as f:
        f.write("where the pictures were taken\n")
    bmp(os.path.join(bad, "scan.bmp"), 64, 48, 24, 9, cut=100)

    # The photos example: the cover and the logo beside the folder it packs.
    photos = os.path.join(work, "photos")
    os.makedirs(photos)
    for n in range(1, 4):
        convert("-size", "900x600", "plasma:", "-seed", str(n),
                os.path.join(photos, "IMG_%d.jpg" % n))
    convert("-size", "600x400", "gradient:yellow-green", os.path.join(work, "cover.jpg"))
    convert("-size", "160x100", "xc:white", "-fill", "red", "-draw", "circle 80,50 80,10",
            os.path.join(work, "logo.png"))


def install_tool(tool, win32, prefix):
    """glimmer-pack in PREFIX/bin with the images it packs in PREFIX/share/glimmer."""
    os.makedirs(os.path.join(prefix, "bin"))
    os.makedirs(os.path.join(prefix, "share", "glimmer"))
    shutil.copy(tool, os.path.join(prefix, "bin", "glimmer-pack"))
    for name, built in IMAGES.items():
        shutil.copy(os.path.join(win32, built), os.path.join(prefix, "share", "glimmer", name))


def main():
    readme, tool, win32 = sys.argv[1:4]
    if not win32 or not all(os.path.isfile(os.path.join(win32, p)) for p in IMAGES.values()):
        print("skipped: the i686 images are not built (make builds them)")
        return 77
    commands = examples(readme)
    if not commands:
        print("no glimmer-pack command line found in %s" % readme)
        return 1
    work = tempfile.mkdtemp(prefix="glimmer-readme-")
    failures = 0
    try:
        install_tool(tool, win32, os.path.join(work, "prefix"))
        make_pictures(work)
        home = os.path.join(work, "home")
        env = dict(os.environ, HOME=home,
                   PATH=os.path.join(work, "prefix", "bin") + os.pathsep + os.environ["PATH"])
        for number, command, shown in commands:
            run = subprocess.run(["bash", "-c", command], cwd=work, env=env, capture_output=True,
                                 text=True, timeout=600)
            out = run.stdout.replace(home, "~").splitlines()
            err = run.stderr.replace(home, "~").splitlines()
            fails = any("not written" in s or "problem:" in s for s in shown)
            reasons = []
            if fails != (run.returncode != 0):
                reasons.append("exit status %d" % run.returncode)
            if shown:
                for stream, printed in (("standard output", out), ("standard error", err)):
                    expected = [s for s in shown
                                if s.startswith("glimmer-pack:") == (stream == "standard error")]
                    why = compare(expected, printed)
                    if why:
                        reasons.append("%s: %s" % (stream, why))
            status = "ok" if not reasons else "FAILED"
            print("README line %d: %s: %s" % (number, command, status))
            for reason in reasons:
                print("    " + reason)
            if reasons:
                print("    printed:\n" + "".join("      " + l + "\n" for l in out + err))
                failures += 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("%d of %d README command lines as shown" % (len(commands) - failures, len(commands)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
