#!/usr/bin/env python3
"""glimmer-pack check on hand-built installers and saver files: a good one of each passes, and
each fault (a record out of place, an engine that would not work, a picture Windows 95 draws
blank, too much memory, stray bytes) is named, as a problem with exit status 1 or as a warning.

    pack_check_test.py GLIMMER_PACK
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pack_files as F  # noqa: E402

PACK = ""

SETUP = F.image(4096)
ENGINE = F.image(3072, F.CARRIED_TAG)
SAVER_FRONT = F.image(3072, F.CARRIED_TAG, subsystem=(4, 0))
NAME = F.text("Holiday")
PREVIEW = F.picture(F.dib(270, 208, 8))
OPTIONS = F.text("DV")
LOGO = F.picture(F.dib(32, 20, 24))
SLIDE = F.picture(F.dib(80, 60, 8))


def installer(*records, name=NAME, preview=PREVIEW, engine=F.record(3, ENGINE),
              options=OPTIONS, logo=LOGO):
    return F.container(SETUP, name, preview, engine, options, logo, *records)


def foreign_offset():
    """An installer whose stamp points into its own setup image, with records from there."""
    data = bytearray(SETUP[:2048])
    data[80:106] = F.SHORT
    struct.pack_into("<I", data, 106, 2048)
    return bytes(data) + installer(SLIDE)[4096:]


class PackCheck(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="glimmer-pack-check-")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def check(self, data):
        path = os.path.join(self.dir, "file.exe")
        with open(path, "wb") as f:
            f.write(data)
        return subprocess.run([PACK, "check", path], capture_output=True, text=True,
                              timeout=60)

    def test_good_installer_and_saver(self):
        r = self.check(installer(SLIDE, SLIDE))
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        lines = r.stdout.splitlines()
        self.assertTrue(lines[0].endswith(": an installer"), lines[0])
        self.assertIn("4096 Text 8 name \"Holiday\": ok", lines)
        self.assertIn("4110 Dib 57640 preview 270x208x8: ok", lines)
        self.assertIn("61756 Executable 3072 engine sustain up to 15000 ms in steps of 700 ms "
                      "(the carried engine): ok", lines)
        self.assertIn("64834 Text 3 options \"DV\": banner on, launch key V, no web address: ok",
                      lines)
        self.assertIn("memory: the saver will hold 13 KB (options, logo and 2 slides): ok", lines)
        self.assertTrue(lines[-1].endswith(": 0 problems, 0 warnings"), lines[-1])

        r = self.check(F.container(SAVER_FRONT, OPTIONS, LOGO, SLIDE))
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertTrue(r.stdout.splitlines()[0].endswith(": a saver file"), r.stdout)
        self.assertIn("0 image: engine of 3072 bytes, sustain up to 15000 ms in steps of 700 ms "
                      "(the carried engine): ok", r.stdout)
        self.assertIn("(options, logo and 1 slide): ok", r.stdout)

    def test_problems_are_named_and_fail(self):
        long_address = F.text("DV" + "a" * 128)
        rows = [
            ("record out of place", installer(SLIDE, preview=OPTIONS),
             "a Text record where the preview (Dib) belongs"),
            ("slide blank everywhere", installer(SLIDE, F.picture(F.dib(4097, 4096, 1))),
             "slide 2 4097x4096x1: \n    problem: 4097 x 4096 pixels: Windows 95 would draw "
             "it blank on every display"),
            ("engine already stamped", installer(SLIDE, engine=F.record(3, F.stamped(ENGINE))),
             "the engine is already stamped"),
            ("no engine", installer(SLIDE, engine=F.record(3, F.image(3072))),
             "not a glimmer engine (it carries no variant tag)"),
            ("no slides", installer(), "no slides: the saver would end as soon as it starts"),
            ("name refused", installer(SLIDE, name=F.text("My-Saver")),
             "the installer refuses this name: the installer takes only the letters A to Z, "
             "digits, underscores and spaces, and \"-\" is none of them"),
            ("more slides than shown", installer(*[SLIDE] * 101),
             "slide 101 80x60x8: \n    problem: the saver shows the first 100 slides"),
            ("address too long", installer(SLIDE, options=long_address),
             "holds an address longer than 127 characters"),
            ("text without its NUL", installer(SLIDE, options=F.record(1, b"DV")),
             "the text does not end with its NUL"),
            ("bytes after the end record", installer(SLIDE) + b"xyz",
             "3 bytes follow the end record"),
            ("a byte after the end record", installer(SLIDE) + b"x",
             "1 byte follows the end record"),
            ("offset inside the image", foreign_offset(),
             "the payload offset 2048 lies inside the executable image, which ends at 4096"),
            ("slide in a saver's logo place", F.container(SAVER_FRONT, OPTIONS, OPTIONS, SLIDE),
             "a Text record where the logo (Dib) belongs"),
        ]
        for name, data, message in rows:
            with self.subTest(name):
                r = self.check(data)
                self.assertEqual(r.returncode, 1, r.stdout + r.stderr)
                self.assertIn(message, r.stdout)
                self.assertRegex(r.stdout.splitlines()[-1], r": [1-9]\d* problems?, ")

    def test_warnings_pass(self):
        big = F.picture(F.dib(800, 600, 24))
        rows = [
            ("slide blank at 32 bits", installer(F.picture(F.dib(2048, 2049, 1))),
             "warning: 2048 x 2049 pixels: Windows 95 draws it blank on displays of 32 bits"),
            ("stand-alone engine", installer(SLIDE, engine=F.record(
                3, F.image(3072, F.STANDALONE_TAG))),
             "engine sustain up to 30000 ms in steps of 1450 ms (the stand-alone engine): \n"
             "    warning: installers normally carry the engine with sustain up to 15000 ms"),
            ("saver not raised to 4.0", F.container(ENGINE, OPTIONS, LOGO, SLIDE),
             "warning: subsystem version is not 4.0, as an install writes it"),
            # Versions where only one of the two numbers differs from 4.0.
            ("saver at 4.10", F.container(F.image(3072, F.CARRIED_TAG, subsystem=(4, 10)),
                                          OPTIONS, LOGO, SLIDE),
             "warning: subsystem version is not 4.0, as an install writes it"),
            ("saver at 3.0", F.container(F.image(3072, F.CARRIED_TAG, subsystem=(3, 0)),
                                         OPTIONS, LOGO, SLIDE),
             "warning: subsystem version is not 4.0, as an install writes it"),
            ("memory over the budget", installer(*[big] * 12),
             "memory: the saver will hold 16.5 MB (options, logo and 12 slides): \n"
             "    warning: more than the 16.0 MB that suits a Windows 95 PC with 8 to 16 MB"),
        ]
        for name, data, message in rows:
            with self.subTest(name):
                r = self.check(data)
                self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
                self.assertIn(message, r.stdout)
                self.assertRegex(r.stdout.splitlines()[-1], r": 0 problems, 1 warning$")

    def test_files_that_are_no_container(self):
        rows = [("unstamped image", SETUP, "not a container"),
                ("record cut short", installer(SLIDE)[:-20], "damaged container")]
        for name, data, message in rows:
            with self.subTest(name):
                r = self.check(data)
                self.assertEqual(r.returncode, 1)
                self.assertIn(message, r.stderr)
        r = subprocess.run([PACK, "check"], capture_output=True, text=True)
        self.assertEqual(r.returncode, 2)


if __name__ == "__main__":
    PACK = os.path.abspath(sys.argv[1])
    unittest.main(argv=[sys.argv[0], "-v"])
