#!/usr/bin/env python3
"""BMP files of flavours Windows 95 does not draw as they are (RLE8, RLE4, 16-bit bit fields in
a 124-byte header, 32-bit with alpha in a 108-byte header, an OS/2 1-bit picture) packed into
a saver by glimmer-pack, which the engine then shows full-screen under Wine: each slide must
appear with the colours its file means (alpha composed over black).

    bmp_flavours_e2e.py ENGINE_EXE GLIMMER_PACK SAVER_HOST_EXE SAVER_TEST_DIR

SAVER_TEST_DIR holds saver_e2e.py, whose screenshot and saver-host helpers this test shares.
Environment (set by CTest): WINE, WINEPREFIX, DISPLAY.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

ENGINE = PACK = ""
WORK = ""
saver = None  # the saver_e2e module
WIDTH, HEIGHT = 120, 90
LOGO = (64, 0, 64)  # a colour no slide uses: pixels of it are the logo
# Each slide: its left and right halves as the screen must show them, and how glimmer-pack
# lists it (the drawable form it was converted to).
FLAVOURS = {
    "rle8": ((255, 0, 0), (0, 255, 0), "120x90x8"),
    "rle4": ((0, 0, 255), (255, 255, 0), "120x90x4"),
    "v5-565": ((255, 0, 255), (0, 255, 255), "120x90x24"),
    "v4-alpha": ((255, 255, 255), (128, 0, 0), "120x90x24"),
    "os2-1bit": ((255, 128, 0), (0, 128, 255), "120x90x1"),
}


def bmp_file(info, table, pixels, masks=b""):
    offset = 14 + len(info) + len(masks) + len(table)
    return (b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + masks
            + table + pixels)


def info_header(size, bits, compression, colours=0, height=HEIGHT, masks=b""):
    header = struct.pack("<IiiHHIIiiII", size, WIDTH, height, 1, bits, compression, 0, 2835,
                         2835, colours, 0)
    return (header + masks).ljust(size, b"\0")


def bgr0(*colours):
    return b"".join(bytes((b, g, r, 0)) for r, g, b in colours)


def flavour_files():
    """The five files, each left half one colour and right half another."""
    half = WIDTH // 2
    files = {}
    # RLE8: per row a run of index 1, a run of index 2, end of line; then end of picture.
    row = bytes((half, 1, half, 2, 0, 0))
    files["rle8"] = bmp_file(info_header(40, 8, 1, 3), bgr0((0, 0, 0), (255, 0, 0), (0, 255, 0)),
                             row * HEIGHT + b"\0\1")
    # RLE4: runs of the nibble pairs 0x11 and 0x22.
    row = bytes((half, 0x11, half, 0x22, 0, 0))
    files["rle4"] = bmp_file(info_header(40, 4, 2, 3),
                             bgr0((0, 0, 0), (0, 0, 255), (255, 255, 0)), row * HEIGHT + b"\0\1")
    # 5-6-5 bit fields in a 124-byte header, rows stored top-down.
    masks = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    row = struct.pack("<H", 0xF81F) * half + struct.pack("<H", 0x07FF) * half
    files["v5-565"] = bmp_file(info_header(124, 16, 3, height=-HEIGHT, masks=masks), b"",
                               row * HEIGHT)
    # 32 bits with alpha in a 108-byte header: opaque white, red at alpha 128.
    masks = struct.pack("<IIII", 0xFF0000, 0xFF00, 0xFF, 0xFF000000)
    row = struct.pack("<I", 0xFFFFFFFF) * half + struct.pack("<I", 0x80FF0000) * half
    files["v4-alpha"] = bmp_file(info_header(108, 32, 3, masks=masks), b"", row * HEIGHT)
    # OS/2 1.x: 12-byte header, 3-byte table entries, 1 bit a pixel.
    core = struct.pack("<IHHHH", 12, WIDTH, HEIGHT, 1, 1)
    bits = b"\0" * (half // 8) + b"\xff" * (half // 8)
    row = bits.ljust((len(bits) + 3) & ~3, b"\0")
    files["os2-1bit"] = bmp_file(core, bytes((0, 128, 255, 255, 128, 0)), row * HEIGHT)
    return files


def is_lit(p):
    return p != (0, 0, 0)


class BmpFlavoursEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        slides = []
        for name, data in flavour_files().items():
            path = os.path.join(WORK, name + ".bmp")
            with open(path, "wb") as f:
                f.write(data)
            slides.append(path)
        logo = os.path.join(WORK, "logo.bmp")
        saver.bmp_24bit(logo, 4, 4, LOGO)
        cls.saver_file = os.path.join(WORK, "Bitmap Flavours.scr")
        # Options without 'D': no banner, so that only slides and the logo light the screen.
        cls.pack = subprocess.run([PACK, "saver", "-o", cls.saver_file, "--engine", ENGINE,
                                   "--options", "NV", "--logo", logo, *slides],
                                  capture_output=True, text=True, timeout=60)

    def test_listed_in_a_drawable_form(self):
        self.assertEqual(self.pack.returncode, 0, self.pack.stderr)
        r = subprocess.run([PACK, "list", self.saver_file], capture_output=True, text=True)
        dibs = [line.split()[3] for line in r.stdout.splitlines() if " Dib " in line]
        self.assertEqual(dibs, ["4x4x24"] + [f[2] for f in FLAVOURS.values()])

    def test_each_flavour_shows_its_colours(self):
        self.assertEqual(self.pack.returncode, 0, self.pack.stderr)
        host = saver.Host("run", 120000, '"%s" /s' % saver.windows_path(self.saver_file))
        try:
            self.assertIsNotNone(host.wait_for("SHOWN"), "the saver showed no window")
            # Slides come in order, each faded in, held for six seconds and faded out; a
            # screenshot of one at full intensity shows exactly its two colours.
            pairs = {(left, right): name for name, (left, right, _) in FLAVOURS.items()}
            seen, sizes = set(), {}
            deadline = time.monotonic() + 90
            while len(seen) < len(FLAVOURS) and time.monotonic() < deadline:
                shot = saver.Screen()
                box = shot.find(lambda p: is_lit(p) and p != LOGO)
                if not box:
                    continue
                middle = (box[1] + box[3]) // 2
                left = shot.at(box[0] + (box[2] - box[0]) // 4, middle)
                right = shot.at(box[2] - (box[2] - box[0]) // 4, middle)
                name = pairs.get((left, right))
                if name:
                    seen.add(name)
                    sizes[name] = box[2] - box[0]
            self.assertEqual(sorted(seen), sorted(FLAVOURS), "slides seen in their colours")
            # The lit box, found on a grid of 4 pixels, spans the slide's width.
            for name, width in sizes.items():
                self.assertLessEqual(abs(width - WIDTH), 4, name)
            saver.xdotool("key", "space")
            self.assertEqual(host.exit_code(), 0)
        finally:
            host.stop()


if __name__ == "__main__":
    ENGINE, PACK, HOST = sys.argv[1:4]
    sys.path.insert(0, sys.argv[4])
    import saver_e2e as saver

    saver.HOST = HOST
    WORK = tempfile.mkdtemp(prefix="glimmer-bmp-e2e-")
    try:
        program = unittest.main(argv=[sys.argv[0], "-v"], exit=False)
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
    sys.exit(0 if program.result.wasSuccessful() else 1)
