#!/usr/bin/env python3
"""An installer that glimmer-pack builds from photos of every format it reads (a sideways phone
JPEG with its EXIF orientation, a PNG with transparency, WebP, HEIC, GIF and a BMP), checked
with glimmer-pack list, installed through its dialog under Wine like the demo, and the saver
it writes run full-screen until a slide shows.

    photos_e2e.py GLIMMER_PACK SETUP_EXE ENGINE_EXE DRIVER_EXE SETUP_TEST_DIR

SETUP_TEST_DIR holds setup_e2e.py, whose dialog helpers this test shares.
Environment (set by CTest): WINE, WINEPREFIX, DISPLAY.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

PACK = SETUP_IMAGE = ENGINE = ""
CONVERT = "/usr/bin/convert"
NAME = "Glimmer Photo Tour"
installer = None  # the setup_e2e module
WORK = ""


def convert(*args):
    subprocess.run([CONVERT, *args], check=True, capture_output=True)


def with_orientation(jpeg, value):
    """The JPEG with an EXIF APP1 segment (big-endian) giving the orientation."""
    tiff = b"MM\0\x2a" + struct.pack(">IHHHIHHI", 8, 1, 0x0112, 3, 1, value, 0, 0)
    payload = b"Exif\0\0" + tiff
    return jpeg[:2] + b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload + jpeg[2:]


def make_pictures(folder):
    """The pictures, bright enough to light the screen; returns preview, logo and slides."""
    p = lambda name: os.path.join(folder, name)
    convert("-size", "1600x1200", "gradient:orange-yellow", "-quality", "90", p("sideways.jpg"))
    with open(p("sideways.jpg"), "rb") as f:
        turned = with_orientation(f.read(), 6)
    with open(p("phone.jpg"), "wb") as f:
        f.write(turned)
    convert("-size", "1000x700", "xc:none", "-fill", "#40ff40c0", "-draw",
            "rectangle 0,0 999,699", p("glass.png"))
    convert("-size", "900x600", "gradient:cyan-white", "-swirl", "60", p("swirl.webp"))
    convert("-size", "640x480", "gradient:yellow-magenta", "-quality", "85", p("camera.heic"))
    convert("-size", "400x300", "plasma:white-yellow", "-seed", "5", p("plasma.gif"))
    convert("-size", "320x240", "gradient:white-yellow", "-type", "Palette", "-compress", "None",
            "BMP3:" + p("old.bmp"))
    convert("-size", "1024x768", "gradient:white-orange", "-quality", "90", p("cover.jpg"))
    convert("-size", "320x200", "xc:orange", p("logo.png"))
    slides = [p(n) for n in ["phone.jpg", "glass.png", "swirl.webp", "camera.heic",
                             "plasma.gif", "old.bmp"]]
    return p("cover.jpg"), p("logo.png"), slides


class PhotosEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.preview, cls.logo, cls.slides = make_pictures(WORK)
        cls.setup = os.path.join(WORK, "photos-setup.exe")
        r = subprocess.run([PACK, "build", "-o", cls.setup, "--setup", SETUP_IMAGE, "--engine",
                            ENGINE, "--name", NAME, "--preview", cls.preview, "--options", "DV",
                            "--logo", cls.logo, *cls.slides], capture_output=True, text=True,
                           timeout=120)
        cls.build = r

    def test_build_lists_fitted_pictures(self):
        self.assertEqual(self.build.returncode, 0, self.build.stderr)
        self.assertTrue(self.build.stdout.startswith("6 slides, payload "), self.build.stdout)
        r = subprocess.run([PACK, "list", self.setup], capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, r.stderr)
        kinds = [line.split()[1] for line in r.stdout.splitlines()[1:]]
        self.assertEqual(kinds, ["Text", "Dib", "Executable", "Text", "Dib"] + ["Dib"] * 6
                         + ["End"])
        sizes = [line.split()[3] for line in r.stdout.splitlines()[1:] if " Dib " in line]
        self.assertEqual(sizes, ["800x600x8", "320x200x24", "450x600x8", "800x560x8",
                                 "800x533x8", "640x480x8", "400x300x8", "320x240x8"])

    def test_installs_and_shows_the_photos(self):
        self.assertEqual(self.build.returncode, 0, self.build.stderr)
        installer.remove_saver(NAME)
        run = installer.Setup(self.setup)
        try:
            self.assertEqual(installer.driver("gettext", "Setup", installer.NAME)["TEXT"], NAME)
            box = run.press(installer.INSTALL)
            self.assertEqual(box.get("CAPTION"), "Success", box)
            self.assertEqual(run.wait_end(), 0)
        finally:
            run.stop()
        try:
            expected, slides = installer.expected_saver(self.setup)
            self.assertEqual(slides, 6)
            with open(installer.saver_path(NAME), "rb") as f:
                self.assertEqual(f.read(), expected, "installed saver differs from the payload")
            installer.saver_shows_pictures(self, NAME, "photo")
        finally:
            installer.remove_saver(NAME)


if __name__ == "__main__":
    PACK, SETUP_IMAGE, ENGINE, DRIVER = sys.argv[1:5]
    sys.path.insert(0, sys.argv[5])
    import setup_e2e as installer

    installer.DRIVER = DRIVER
    WORK = tempfile.mkdtemp(prefix="glimmer-photos-e2e-")
    try:
        program = unittest.main(argv=[sys.argv[0], "-v"], exit=False)
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
    sys.exit(0 if program.result.wasSuccessful() else 1)
