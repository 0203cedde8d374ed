#!/usr/bin/env python3
"""glimmer-pack with photos from the outside: mixed formats in, fitted and oriented Dibs out,
byte-identical repeat builds, progress only on a terminal or with -v, a closing summary, bad
pictures refused with the file and the reason and no output left behind, and a colour profile
that cannot be used warned about."""
import os
import pty
import struct
import subprocess
import sys
import tempfile

PACK = sys.argv[1]
CONVERT = "/usr/bin/convert"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def image(size, tag=b""):
    """An unstamped executable: long stub message at 80, subsystem 3.10 at 328; an engine
    carries its variant tag."""
    b = bytearray(size)
    b[0:2] = b"MZ"
    b[80:119] = b"This program must be run under Win32\r\n$"
    struct.pack_into("<HH", b, 328, 3, 10)
    b[1024:1024 + len(tag)] = tag
    return bytes(b)


def convert(*args):
    subprocess.run([CONVERT, *args], check=True, capture_output=True)


def with_orientation(jpeg, value):
    """The JPEG with an EXIF APP1 segment (big-endian) giving the orientation."""
    tiff = b"MM\0\x2a" + struct.pack(">IHHHIHHI", 8, 1, 0x0112, 3, 1, value, 0, 0)
    payload = b"Exif\0\0" + tiff
    return jpeg[:2] + b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload + jpeg[2:]


def run(*args, terminal=False, env=None):
    if not terminal:
        return subprocess.run([PACK, *args], capture_output=True, text=True, timeout=120,
                              env=env)
    # stderr on a pseudo-terminal, as when a person runs the tool.
    master, slave = pty.openpty()
    r = subprocess.run([PACK, *args], stdout=subprocess.PIPE, stderr=slave, text=True,
                       timeout=120)
    os.close(slave)
    chunks = []
    while True:
        try:
            chunk = os.read(master, 65536)
        except OSError:
            break
        if not chunk:
            break
        chunks.append(chunk)
    os.close(master)
    r.stderr = b"".join(chunks).decode().replace("\r", "")
    return r


def listing(path):
    """{record index: "WxHxBITS"} of the Dib records that glimmer-pack list reports."""
    lines = run("list", path).stdout.splitlines()[1:]
    return [l.split()[3] if len(l.split()) > 3 else l.split()[1] for l in lines]


with tempfile.TemporaryDirectory() as d:
    p = lambda name: os.path.join(d, name)
    with open(p("setup.exe"), "wb") as f:
        f.write(image(4096))
    with open(p("engine.exe"), "wb") as f:
        f.write(image(3072, b"glimmer engine variant: sustain 15000/700\0"))
    # A phone photo stored sideways (1600 x 1200) whose EXIF says to turn it a quarter.
    convert("-size", "1600x1200", "gradient:red-blue", "-quality", "90", p("sideways.jpg"))
    with open(p("sideways.jpg"), "rb") as f:
        turned = with_orientation(f.read(), 6)
    with open(p("phone.jpg"), "wb") as f:
        f.write(turned)
    convert("-size", "1000x500", "xc:none", "-fill", "#ff000080", "-draw",
            "circle 500,250 500,50", p("wide.png"))
    convert("-size", "200x150", "pattern:checkerboard", p("small.gif"))
    convert("-size", "900x600", "gradient:yellow-navy", "-swirl", "90", p("photo.webp"))
    convert("-size", "640x480", "gradient:green-yellow", p("photo.heic"))
    convert("-size", "100x80", "gradient:", "-type", "Palette", "-compress", "None",
            "BMP3:" + p("slide.bmp"))
    convert("-size", "1024x768", "gradient:white-black", "-quality", "90", p("preview.jpg"))
    convert("-size", "640x480", "xc:orange", p("logo.png"))
    slides = [p(n) for n in ["phone.jpg", "wide.png", "small.gif", "photo.webp", "photo.heic",
                             "slide.bmp"]]
    base = ["--setup", p("setup.exe"), "--engine", p("engine.exe"), "--name", "Photo Test",
            "--preview", p("preview.jpg"), "--options", "DV", "--logo", p("logo.png")]

    # Defaults: slides and preview fitted into 800 x 600 with 256 colours, never enlarged; the
    # logo in true colour fitted into 320 x 200; the BMP slide, which fits, as it was.
    r = run("build", "-o", p("a.exe"), *base, *slides)
    check(r.returncode == 0, "build from mixed formats: " + r.stderr)
    check(r.stderr == "", "no progress when not on a terminal: %r" % r.stderr)
    got = listing(p("a.exe"))
    want = ["Text", "800x600x8", "Executable", "Text", "267x200x24", "450x600x8", "800x400x8",
            "200x150x8", "800x533x8", "640x480x8", "100x80x8", "End"]
    check(got == want, "list after a default build:\n%s\n%s" % (got, want))
    size = os.path.getsize(p("a.exe"))
    check(r.stdout.startswith("6 slides, payload %d bytes, largest picture " % (size - 4096)),
          "summary line: %r" % r.stdout)

    # Same inputs, same options: the same bytes.
    r = run("build", "-o", p("b.exe"), *base, *slides)
    check(r.returncode == 0 and open(p("a.exe"), "rb").read() == open(p("b.exe"), "rb").read(),
          "two builds from the same inputs are byte-identical")

    # The colour reduction may split its work over threads, which would make the palette
    # depend on the machine's cores; the tool pins it, so the thread setting changes nothing.
    convert("-size", "800x600", "plasma:", "-blur", "0x1", "-quality", "90", p("noisy.jpg"))
    outputs = []
    for threads in ["1", "4"]:
        env = dict(os.environ, OMP_NUM_THREADS=threads)
        r = run("build", "-o", p("t%s.exe" % threads), *base, "--speed", "6", p("noisy.jpg"),
                env=env)
        check(r.returncode == 0, "build with %s threads: %s" % (threads, r.stderr))
        outputs.append(open(p("t%s.exe" % threads), "rb").read())
    check(outputs[0] == outputs[1], "the same bytes whatever the thread setting")

    # Options: another box, enlarging (the BMP too, like a photo), true-colour slides, a logo
    # box.
    r = run("build", "-o", p("c.exe"), *base, "--size", "400x300", "--upscale", "--bits", "24",
            "--logo-size", "160x100", "--quality", "80", "--speed", "6", *slides)
    check(r.returncode == 0, "build with options: " + r.stderr)
    got = listing(p("c.exe"))
    want = ["Text", "400x300x8", "Executable", "Text", "133x100x24", "225x300x24", "400x200x24",
            "400x300x24", "400x267x24", "400x300x24", "375x300x24", "End"]
    check(got == want, "list after a build with options:\n%s\n%s" % (got, want))

    # A 32-bit BMP slide that fits stays true colour unless --bits 8 is given; as the preview
    # it keeps its colours whatever --bits says.
    convert("-size", "60x40", "gradient:red-blue", "-alpha", "on", "BMP:" + p("true.bmp"))
    for args, want in [([], ["Text", "800x600x8", "60x40x24"]),
                       (["--bits", "8"], ["Text", "800x600x8", "60x40x8"]),
                       (["--bits", "8", "--preview", p("true.bmp")], ["Text", "60x40x24",
                                                                      "60x40x8"])]:
        r = run("build", "-o", p("bmp.exe"), *base, *args, p("true.bmp"))
        check(r.returncode == 0, "build with a 32-bit BMP %s: %s" % (args, r.stderr))
        got = listing(p("bmp.exe"))
        check(got[:2] + got[-2:-1] == want, "32-bit BMP %s:\n%s\n%s" % (args, got, want))

    # Progress: one line per picture with -v, and on a terminal without it.
    for what, kwargs, args in [("-v", {}, ["-v"]), ("terminal", {"terminal": True}, [])]:
        r = run("build", "-o", p("d.exe"), *base, *args, *slides, **kwargs)
        lines = r.stderr.splitlines()
        check(r.returncode == 0 and len(lines) == 8, what + ": eight progress lines %r" % lines)
        check(any("phone.jpg: JPEG 1200x1600 -> 450x600x8" in l and "colours" in l
                  and l.endswith(" s") for l in lines), what + ": line of the phone photo")

    # Bad pictures: non-zero exit, the file and the reason named, no output left behind.
    with open(p("phone.jpg"), "rb") as f:
        data = f.read()
    bad_files = {
        "cut.jpg": data[: len(data) // 2],
        "notes.txt": b"not a picture at all\n",
        "huge.gif": b"GIF89a\xff\xff\xff\xff\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00"
                    b"\x02\x02D\x01\x00;",
        "empty.png": b"",
    }
    for name, content in bad_files.items():
        with open(p(name), "wb") as f:
            f.write(content)
    bad = [
        ("truncated JPEG", [p("cut.jpg")], "cut.jpg: cannot decode JPEG"),
        ("unknown format", [p("notes.txt")], "notes.txt: not a picture format"),
        ("too many pixels", [p("huge.gif")], "huge.gif: picture is 65535 x 65535"),
        ("empty file", [p("empty.png")], "empty.png: file is empty"),
        ("missing file", [p("nope.heic")], "nope.heic: No such file"),
        ("bits 16", ["--bits", "16", slides[0]], "--bits needs 8 or 24"),
        ("size 0x600", ["--size", "0x600", slides[0]], "--size needs"),
        ("quality 101", ["--quality", "101", slides[0]], "--quality needs"),
        ("speed 0", ["--speed", "0", slides[0]], "--speed needs"),
    ]
    for what, args, message in bad:
        r = run("build", "-o", p("out.exe"), *base, *args)
        check(r.returncode != 0, what + ": non-zero exit")
        check(message in r.stderr, what + ": message %r in %r" % (message, r.stderr))
        leftovers = [f for f in os.listdir(d) if f.startswith("out.exe")]
        check(leftovers == [], what + ": nothing left behind %s" % leftovers)
    # A bad logo or preview is named the same way.
    r = run("build", "-o", p("out.exe"), *[a if a != p("logo.png") else p("cut.jpg")
                                           for a in base], slides[0])
    check(r.returncode != 0 and "cut.jpg: cannot decode JPEG" in r.stderr, "bad logo named")

    # A colour profile that cannot be used lets the picture in as stored, with a warning that
    # names the file.
    fixture = os.path.join(os.path.dirname(os.path.abspath(__file__)), "colour", "adobe-rgb.jpg")
    with open(fixture, "rb") as f:
        damaged = f.read().replace(b"acsp", b"xxxx", 1)
    with open(p("no-profile.jpg"), "wb") as f:
        f.write(damaged)
    r = run("build", "-o", p("w.exe"), *base, p("no-profile.jpg"))
    check(r.returncode == 0, "a damaged profile does not stop the build: " + r.stderr)
    check("warning: %s: its colour profile is damaged" % p("no-profile.jpg") in r.stderr
          and "as stored" in r.stderr, "damaged profile warned about: %r" % r.stderr)

print("%d checks failed" % len(failures) if failures else "all checks passed")
sys.exit(1 if failures else 0)
