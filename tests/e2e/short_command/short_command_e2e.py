#!/usr/bin/env python3
"""The short command as a user types it, with the tool from the Debian package: glimmer-pack
build -o Holiday.exe --name "Holiday Pictures" holiday/ on a folder of JPEG, PNG and BMP
pictures. The installer it writes (the i686 setup and engine installed with the tool) is
checked, installed through its dialog under Wine, and the saver it wrote runs full-screen.

    short_command_e2e.py HOST_BUILD DRIVER_EXE SETUP_TEST_DIR

SETUP_TEST_DIR holds setup_e2e.py, whose dialog helpers this test shares. Exits with 77
(skipped) where 32-bit Wine is not installed. Environment (set by CTest): WINE, WINEPREFIX,
DISPLAY.
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

HOST = ""
NAME = "Holiday Pictures"
WORK = ""
installer = None  # the setup_e2e module


def run(*args, **kwargs):
    return subprocess.run([str(a) for a in args], capture_output=True, text=True, timeout=300,
                          **kwargs)


def make_pictures(folder):
    """Bright JPEG, PNG and BMP pictures of several sizes, and a file that is no picture."""
    os.makedirs(folder)
    p = lambda name: os.path.join(folder, name)
    for args in [["-size", "1600x1200", "gradient:yellow-orange", "-quality", "90",
                  p("IMG_0001.jpg")],
                 ["-size", "900x700", "gradient:white-cyan", p("IMG_0002.png")],
                 ["-size", "640x480", "gradient:white-yellow", "-type", "Palette", "-compress",
                  "None", "BMP3:" + p("IMG_0010.bmp")],
                 ["-size", "400x300", "plasma:white-yellow", "-seed", "5", p("IMG_0003.png")]]:
        subprocess.run(["convert", *args], check=True, capture_output=True)
    with open(p("Thumbs.db"), "wb") as f:
        f.write(b"\xd0\xcf\x11\xe0" + bytes(60))


class ShortCommand(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # The tool as the package installs it: built with cpack, unpacked with dpkg -x.
        r = run("cpack", "--config", os.path.join(HOST, "CPackConfig.cmake"), "-B",
                os.path.join(WORK, "deb"))
        assert r.returncode == 0, r.stdout + r.stderr
        package = glob.glob(os.path.join(WORK, "deb", "glimmer-pack_*.deb"))[0]
        root = os.path.join(WORK, "root")
        r = run("dpkg", "-x", package, root)
        assert r.returncode == 0, r.stderr
        cls.tool = os.path.join(root, "usr", "bin", "glimmer-pack")
        make_pictures(os.path.join(WORK, "holiday"))
        start = time.monotonic()
        cls.build = run(cls.tool, "build", "-o", "Holiday.exe", "--name", NAME, "holiday/",
                        cwd=WORK)
        print("short command: %.2f s" % (time.monotonic() - start))
        cls.setup = os.path.join(WORK, "Holiday.exe")

    def test_builds_and_checks(self):
        self.assertEqual(self.build.returncode, 0, self.build.stderr)
        self.assertEqual(self.build.stderr.strip(), "glimmer-pack: skipped holiday/Thumbs.db: "
                         "not a picture (its first bytes are no JPEG, PNG, WebP, HEIF, GIF or "
                         "BMP)")
        r = run(self.tool, "check", self.setup)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        described = [line.split(" ", 3)[3] for line in r.stdout.splitlines()[2:-2]]
        self.assertEqual(described, [
            'name "Holiday Pictures": ok',
            "preview 270x208x8: ok",
            "engine sustain up to 15000 ms in steps of 700 ms (the carried engine): ok",
            'options "NV": banner off, launch key V, no web address: ok',
            "logo 1x1x24: ok",
            "slide 1 800x600x8: ok",
            "slide 2 771x600x8: ok",
            "slide 3 400x300x8: ok",
            "slide 4 640x480x8: ok",
            "end: ok"])

    def test_installs_and_shows_the_pictures(self):
        self.assertEqual(self.build.returncode, 0, self.build.stderr)
        installer.remove_saver(NAME)
        setup = installer.Setup(self.setup)
        try:
            self.assertEqual(installer.driver("gettext", "Setup", installer.NAME)["TEXT"], NAME)
            box = setup.press(installer.INSTALL)
            self.assertEqual(box.get("CAPTION"), "Success", box)
            self.assertEqual(setup.wait_end(), 0)
        finally:
            setup.stop()
        try:
            expected, slides = installer.expected_saver(self.setup)
            self.assertEqual(slides, 4)
            with open(installer.saver_path(NAME), "rb") as f:
                self.assertTrue(f.read() == expected, "installed saver differs from the payload")
            r = run(self.tool, "check", installer.saver_path(NAME))
            self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
            self.assertRegex(r.stdout, r": a saver file\n0 image: engine of \d+ bytes, sustain up "
                             r"to 15000 ms in steps of 700 ms \(the carried engine\): ok")
            installer.saver_shows_pictures(self, NAME, "picture")
        finally:
            installer.remove_saver(NAME)


if __name__ == "__main__":
    HOST, DRIVER = sys.argv[1], sys.argv[2]
    sys.path.insert(0, sys.argv[3])
    import setup_e2e as installer

    if not installer.wine32_runs():
        print("skipped: 32-bit Wine (wine32:i386) cannot run here; the installer the short "
              "command writes is an i686 program")
        sys.exit(77)
    installer.DRIVER = DRIVER
    # A 32-bit program's system directory in a 64-bit prefix is syswow64.
    wow = os.path.join(installer.PREFIX, "drive_c", "windows", "syswow64")
    if os.path.isdir(wow):
        installer.SYSTEM_DIR = wow
    WORK = tempfile.mkdtemp(prefix="glimmer-short-command-")
    try:
        program = unittest.main(argv=[sys.argv[0], "-v"], exit=False)
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
    sys.exit(0 if program.result.wasSuccessful() else 1)
