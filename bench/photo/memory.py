#!/usr/bin/env python3
"""Peak memory of glimmer-pack over the most demanding pictures it accepts or refuses: figures,
not a pass-or-fail test.

    bench/photo/memory.py [GLIMMER_PACK]     (default: dist/glimmer-pack)

Each input is made here, small on disk but as large as the limits let it declare: pictures of
100 megapixels (the pixel limit) in every format, the largest BMP files under the 256 MB file
limit, HEIF grids, and the two hostile files of the tests.
glimmer-pack packs each as one slide of a saver file with its default options and the engine
it was installed with, and this prints the child's peak resident memory (wait4's ru_maxrss),
whether the picture was taken or refused, and its time.
"""
import os
import struct
import subprocess
import sys
import tempfile
import time
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
PACK = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "dist", "glimmer-pack")
HOSTILE = os.path.join(ROOT, "tests", "host", "photo", "hostile")
SIDE = 10000  # 10000 x 10000: exactly the 100-megapixel limit


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def png_100mp(path):
    """RGBA, 8 bits, every row zero: a few hundred kilobytes."""
    squeeze = zlib.compressobj(9)
    row = bytes(1 + 4 * SIDE)
    data = b"".join(squeeze.compress(row) for _ in range(SIDE)) + squeeze.flush()
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(png_chunk(b"IHDR", struct.pack(">IIBBBBB", SIDE, SIDE, 8, 6, 0, 0, 0)))
        f.write(png_chunk(b"IDAT", data))
        f.write(png_chunk(b"IEND", b""))


def jpeg_100mp_progressive(path):
    """A progressive four-component JPEG with one DC scan of zero differences: libjpeg keeps
    every coefficient of the picture while it decodes."""
    components = 4
    out = b"\xff\xd8"
    out += b"\xff\xdb" + struct.pack(">H", 67) + b"\x00" + b"\x01" * 64
    sof = struct.pack(">BHHB", 8, SIDE, SIDE, components)
    sof += b"".join(struct.pack(">BBB", i + 1, 0x11, 0) for i in range(components))
    out += b"\xff\xc2" + struct.pack(">H", 2 + len(sof)) + sof
    # DC table 0: one code of one bit, for difference category 0.
    out += b"\xff\xc4" + struct.pack(">H", 20) + b"\x00" + b"\x01" + b"\x00" * 15 + b"\x00"
    sos = struct.pack(">B", components)
    sos += b"".join(struct.pack(">BB", i + 1, 0) for i in range(components)) + b"\x00\x00\x00"
    out += b"\xff\xda" + struct.pack(">H", 2 + len(sos)) + sos
    blocks = (SIDE // 8) ** 2 * components
    out += bytes(blocks // 8) + (b"\x7f" if blocks % 8 else b"")
    out += b"\xff\xd9"
    with open(path, "wb") as f:
        f.write(out)


def gif_100mp_canvas(path):
    """A logical screen of 10000 x 10000 holding one pixel in its far corner."""
    out = b"GIF89a" + struct.pack("<HHBBB", SIDE, SIDE, 0, 0, 0)
    out += b"\x2c" + struct.pack("<HHHHB", SIDE - 1, SIDE - 1, 1, 1, 0x80) + bytes(6)
    # LZW, 2-bit codes of 3 bits: clear (4), index 0, end (5).
    out += b"\x02" + b"\x02\x44\x01\x00" + b"\x3b"
    with open(path, "wb") as f:
        f.write(out)


def bmp(path, width, height, bits, compression, table, row, rows):
    """A BMP whose pixel data is row repeated rows times, written a row at a time: this process
    stays small, and a child's peak memory then is the child's own (Linux keeps the larger of
    the parent's and the child's resident size across fork and exec)."""
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, 0, 0, 0,
                       len(table) // 4, 0)
    offset = 14 + 40 + len(table)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(row) * rows, 0, 0, offset) + info
                + table)
        for _ in range(rows):
            f.write(row)


def bmp_rle_100mp(path):
    """RLE8: one run a row and end-of-line codes, 4 bytes a row."""
    row = bytes((250, 1)) + bytes(2)
    bmp(path, 250, 400000, 8, 1, bytes((0, 0, 255, 0, 255, 255, 255, 0)), row, 400000)


def bmp_8bit_100mp(path):
    bmp(path, SIDE, SIDE, 8, 0, bytes(1024), bytes(SIDE), SIDE)


def bmp_32bit_largest(path):
    """32 bits a pixel, just under the 256 MB file limit: 8000 x 8000."""
    bmp(path, 8000, 8000, 32, 0, b"", bytes(8000 * 4), 8000)


def heif_grid(path, picture, grid):
    """The hostile grid of the tests, its picture and grid sizes replaced."""
    with open(os.path.join(HOSTILE, "heif-grid-bomb.heic"), "rb") as f:
        data = bytearray(f.read())
    declaration = data.index(b"idat") + 4  # version, flags, rows, columns, width, height
    struct.pack_into(">HH", data, declaration + 4, *grid)
    ispe = data.rindex(b"ispe")
    struct.pack_into(">II", data, ispe + 8, *picture)
    with open(path, "wb") as f:
        f.write(data)


def heif_grid_100mp(path):
    """A grid of 10000 x 10000 for a picture of that size (its one tile undecodable): libheif
    allocates the whole canvas before it decodes the tile."""
    heif_grid(path, (SIDE, SIDE), (SIDE, SIDE))


def heif_grid_larger(path):
    """A grid declaring 16383 x 16383 for a 16128 x 6200 picture: refused before libheif
    allocates."""
    heif_grid(path, (16128, 6200), (16383, 16383))


CASES = [
    ("PNG 10000 x 10000 RGBA", "big.png", png_100mp),
    ("JPEG 10000 x 10000 progressive CMYK", "big.jpg", jpeg_100mp_progressive),
    ("GIF 10000 x 10000 screen, one pixel", "big.gif", gif_100mp_canvas),
    ("BMP RLE8 250 x 400000 (1.6 MB)", "rle.bmp", bmp_rle_100mp),
    ("BMP 8-bit 10000 x 10000 (100 MB)", "big8.bmp", bmp_8bit_100mp),
    ("BMP 32-bit 8000 x 8000 (256 MB)", "big32.bmp", bmp_32bit_largest),
    ("HEIF grid 10000 x 10000", "grid.heic", heif_grid_100mp),
    ("HEIF grid larger than its picture", "larger.heic", heif_grid_larger),
    ("PNG chunk bomb (41 bytes)", None, os.path.join(HOSTILE, "png-chunk-bomb.png")),
    ("HEIF grid bomb (450 bytes)", None, os.path.join(HOSTILE, "heif-grid-bomb.heic")),
]


def main():
    with tempfile.TemporaryDirectory() as work:
        logo = os.path.join(work, "logo.bmp")
        bmp(logo, 4, 4, 24, 0, b"", bytes(16), 4)
        print("%-40s %10s %-8s %7s" % ("input", "peak MB", "outcome", "seconds"))
        for title, name, make in CASES:
            if name:
                path = os.path.join(work, name)
                make(path)
            else:
                path = make
            out = os.path.join(work, "out.scr")
            start = time.monotonic()
            child = subprocess.Popen([PACK, "saver", "-o", out, "--options", "DV", "--logo",
                                      logo, path], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.PIPE)
            # The one problem line of a refused picture stays short; reading it before wait4
            # keeps the child from blocking on a full pipe.
            errors = child.stderr.read().decode(errors="replace")
            _, status, usage = os.wait4(child.pid, 0)
            code = os.waitstatus_to_exitcode(status)
            outcome = "taken" if code == 0 else "refused" if code == 1 else "exit %d" % code
            print("%-40s %10.0f %-8s %7.1f" % (title, usage.ru_maxrss / 1024, outcome,
                                               time.monotonic() - start))
            if code not in (0, 1):
                sys.stderr.write(errors)
            if os.path.exists(out):
                os.remove(out)
            if name:
                os.remove(path)


if __name__ == "__main__":
    main()
