#!/usr/bin/env python3
"""The WebAssembly photo import gives the native build's Dib bytes: photo-dib.js under node and
the host build's photo-dib turn the same pictures into Dibs, in 256 colours and in true colour,
and must write the same bytes, or refuse with the same reason. The pictures: a sideways JPEG
whose EXIF orientation turns it upright, decoded at a reduced scale, a PNG with alpha, a GIF, a
lossy WebP, a HEIC, RLE8 BMPs that keep their size and one that is fitted, made here from one
many-coloured picture so that fitting and colour reduction do real work; and every picture of
the fuzz seed corpora, the damaged HEIF files among them.

    same_bytes_test.py PHOTO_DIB_JS NATIVE_PHOTO_DIB [--keep DIR]

NODE names node (default: node on the PATH). On a difference it says where the bytes part and
how far the pixels are apart (PSNR).
"""
import glob
import math
import os
import struct
import subprocess
import sys
import tempfile

WASM, NATIVE = sys.argv[1], sys.argv[2]
KEEP = sys.argv[4] if len(sys.argv) > 4 and sys.argv[3] == "--keep" else None
NODE = os.environ.get("NODE", "node")
CONVERT = "/usr/bin/convert"
HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "..", "..", "tests", "fuzz", "corpus")
failures = []


def source_picture(path, width, height):
    """A smooth many-coloured picture with a little deterministic grain, as a binary PPM."""
    rows = []
    for y in range(height):
        row = bytearray(width * 3)
        for x in range(width):
            grain = ((x * 7919 + y * 104729) ^ (x * y)) % 17 - 8
            r = 128 + 110 * math.sin(x * 0.011 + y * 0.004) + grain
            g = 128 + 110 * math.sin(x * 0.003 - y * 0.013 + 1.0) - grain
            b = 128 + 110 * math.sin((x + y) * 0.007 + 2.0) + grain // 2
            row[3 * x:3 * x + 3] = bytes(max(0, min(255, int(v))) for v in (r, g, b))
        rows.append(bytes(row))
    with open(path, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (width, height) + b"".join(rows))


def convert(*args):
    subprocess.run([CONVERT, *args], check=True, capture_output=True)


def with_orientation(jpeg, value):
    """The JPEG with an EXIF APP1 segment (big-endian) giving the orientation."""
    tiff = b"MM\0\x2a" + struct.pack(">IHHHIHHI", 8, 1, 0x0112, 3, 1, value, 0, 0)
    payload = b"Exif\0\0" + tiff
    return jpeg[:2] + b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload + jpeg[2:]


def make_pictures(d):
    """{name: path} of the pictures made for this run."""
    p = lambda name: os.path.join(d, name)
    source_picture(p("source.ppm"), 1000, 750)
    # Twice the box's size across: libjpeg decodes it at a reduced DCT scale.
    convert(p("source.ppm"), "-resize", "200%", "-quality", "88", p("plain.jpg"))
    with open(p("plain.jpg"), "rb") as f:
        sideways = with_orientation(f.read(), 6)
    with open(p("exif-orientation-6.jpg"), "wb") as f:
        f.write(sideways)
    convert(p("source.ppm"), "(", "-size", "1000x750", "radial-gradient:", ")", "-alpha", "off",
            "-compose", "CopyOpacity", "-composite", p("alpha.png"))
    convert(p("source.ppm"), "-resize", "500x375", p("photo.gif"))
    convert(p("source.ppm"), "-quality", "80", p("photo.webp"))
    convert(p("source.ppm"), "-resize", "400x300", "-quality", "60", p("photo.heic"))
    convert(p("source.ppm"), "-resize", "320x240", "-colors", "200", "-compress", "RLE",
            "BMP3:" + p("rle8.bmp"))
    convert(p("source.ppm"), "-colors", "256", "-compress", "RLE", "BMP3:" + p("rle8-fitted.bmp"))
    for name in ("rle8.bmp", "rle8-fitted.bmp"):
        with open(p(name), "rb") as f:
            if struct.unpack_from("<I", f.read(34), 30)[0] != 1:
                failures.append("%s: convert did not write RLE8" % name)
    names = ["exif-orientation-6.jpg", "alpha.png", "photo.gif", "photo.webp", "photo.heic",
             "rle8.bmp", "rle8-fitted.bmp"]
    return [(n, p(n)) for n in names]


def corpus_pictures():
    found = []
    for kind in ("jpeg", "png", "gif", "webp", "heif", "bmp"):
        for path in sorted(glob.glob(os.path.join(CORPUS, kind, "*"))):
            found.append((kind + "/" + os.path.basename(path), path))
    return found


def run(command, picture, out, bits):
    r = subprocess.run(command + ["--bits", str(bits), picture, out], capture_output=True,
                       text=True, timeout=300)
    data = None
    if r.returncode == 0:
        with open(out, "rb") as f:
            data = f.read()
    return r.returncode, r.stderr.strip(), data


def pixels(dib):
    """(width, height, RGB bytes top-down) of an 8 or 24-bit Dib, or None."""
    if len(dib) < 40:
        return None
    _, width, height, _, bits, _, _, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", dib)
    if bits not in (8, 24) or width <= 0 or height == 0:
        return None
    stride = (width * bits + 31) // 32 * 4
    entries = (used or 256) if bits == 8 else 0
    table = dib[40:40 + 4 * entries]
    rows = dib[40 + 4 * entries:]
    out = bytearray()
    for y in range(abs(height)):
        row = rows[(abs(height) - 1 - y if height > 0 else y) * stride:][:stride]
        if bits == 24:
            for x in range(width):
                out += bytes((row[3 * x + 2], row[3 * x + 1], row[3 * x]))
        else:
            for x in range(width):
                i = 4 * row[x]
                out += bytes((table[i + 2], table[i + 1], table[i]))
    return width, abs(height), bytes(out)


def psnr(a, b):
    squared = sum((x - y) * (x - y) for x, y in zip(a, b))
    return float("inf") if squared == 0 else 10 * math.log10(255 * 255 * len(a) / squared)


def describe(native, wasm):
    """Where two Dibs of the same length part, and the PSNR of their pixels."""
    first = next(i for i in range(len(native)) if native[i] != wasm[i])
    count = sum(1 for x, y in zip(native, wasm) if x != y)
    part = "header" if first < 40 else "colour table or rows"
    a, b = pixels(native), pixels(wasm)
    if not a or not b or a[:2] != b[:2]:
        return "first difference at byte %d (%s), %d bytes differ" % (first, part, count), 0
    value = psnr(a[2], b[2])
    return ("first difference at byte %d (%s), %d bytes differ, PSNR %.1f dB" %
            (first, part, count, value), value)


def compare(name, path, bits, d):
    wasm_code, wasm_err, wasm_dib = run([NODE, WASM], path, os.path.join(d, "w.dib"), bits)
    native_code, native_err, native_dib = run([NATIVE], path, os.path.join(d, "n.dib"), bits)
    label = "%s, %d bits" % (name, bits)
    if native_code == 0 and native_dib == wasm_dib:
        print("%s: the same %d bytes" % (label, len(native_dib)))
        return
    if native_code == 1 and wasm_code == 1 and native_err == wasm_err:
        print("%s: refused alike: %s" % (label, native_err))
        return
    if native_code != 0 or wasm_code != 0:
        failures.append("%s: native exit %d (%s), WebAssembly exit %d (%s)" %
                        (label, native_code, native_err, wasm_code, wasm_err))
    elif len(native_dib) != len(wasm_dib):
        failures.append("%s: native %d bytes, WebAssembly %d bytes" %
                        (label, len(native_dib), len(wasm_dib)))
    else:
        text, _ = describe(native_dib, wasm_dib)
        failures.append("%s: %s" % (label, text))
    if KEEP:
        for side, dib in (("native", native_dib), ("wasm", wasm_dib)):
            if dib:
                with open(os.path.join(KEEP, "%s-%d.%s.dib" % (name.replace("/", "-"), bits,
                                                                side)), "wb") as f:
                    f.write(dib)
    print("FAIL:", failures[-1])


with tempfile.TemporaryDirectory() as d:
    if KEEP:
        os.makedirs(KEEP, exist_ok=True)
    for name, path in make_pictures(d) + corpus_pictures():
        for bits in (8, 24):
            compare(name, path, bits, d)

print("%d differences" % len(failures))
sys.exit(1 if failures else 0)
