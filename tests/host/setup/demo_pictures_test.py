#!/usr/bin/env python3
"""The demo pictures: sizes, depths and palettes the demo payload needs, pictures that are
more than a flat colour, and the same bytes from every run.

    demo_pictures_test.py DEMO_PICTURES
"""
import glob
import hashlib
import os
import struct
import subprocess
import sys
import tempfile
import unittest

TOOL = ""


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    assert data[:2] == b"BM", path
    offset = struct.unpack_from("<I", data, 10)[0]
    (size, width, height, planes, bits, compression, image, _, _, used,
     _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    table = data[54:offset]
    return dict(size=size, width=width, height=height, bits=bits, compression=compression,
                used=used, table=table, pixels=data[offset:], length=len(data) - 14)


class DemoPictures(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.first = tempfile.mkdtemp(prefix="glimmer-demo-")
        cls.second = tempfile.mkdtemp(prefix="glimmer-demo-")
        for folder in (cls.first, cls.second):
            subprocess.run([TOOL, folder], check=True)

    def test_the_same_bytes_every_run(self):
        names = sorted(os.listdir(self.first))
        self.assertEqual(names, sorted(os.listdir(self.second)))
        for name in names:
            with self.subTest(name):
                digests = [hashlib.sha256(open(os.path.join(d, name), "rb").read()).hexdigest()
                           for d in (self.first, self.second)]
                self.assertEqual(digests[0], digests[1])

    def test_preview_logo_and_slides(self):
        preview = read_bmp(os.path.join(self.first, "preview.bmp"))
        self.assertEqual((preview["width"], preview["height"], preview["bits"],
                          preview["used"], preview["length"]), (800, 600, 8, 0, 481064))
        logo = read_bmp(os.path.join(self.first, "logo.bmp"))
        self.assertEqual((logo["width"], logo["height"], logo["bits"], logo["length"]),
                         (320, 200, 24, 192040))

        slides = sorted(glob.glob(os.path.join(self.first, "slide*.bmp")))
        self.assertGreaterEqual(len(slides), 11)
        used, palettes = [], set()
        for path in slides:
            with self.subTest(os.path.basename(path)):
                bmp = read_bmp(path)
                self.assertEqual((bmp["size"], bmp["width"], bmp["height"], bmp["bits"],
                                  bmp["compression"], bmp["length"]),
                                 (40, 800, 600, 8, 0, 481064))
                used.append(bmp["used"])
                palettes.add(bmp["table"])
                # A picture, not a flat fill: many colours in use, none covering most of it.
                counts = [0] * 256
                for index in bmp["pixels"]:
                    counts[index] += 1
                self.assertGreater(sum(1 for c in counts if c), 32)
                self.assertLess(max(counts), len(bmp["pixels"]) // 2)
        self.assertEqual(sorted(used), [0] + [256] * (len(slides) - 1))
        self.assertEqual(len(palettes), len(slides), "every slide has a palette of its own")


if __name__ == "__main__":
    TOOL = sys.argv[1]
    unittest.main(argv=[sys.argv[0], "-v"])
