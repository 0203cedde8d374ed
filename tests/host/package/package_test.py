#!/usr/bin/env python3
"""glimmer-pack as installed: `cmake --install` puts the tool, the Windows images it packs, the
manual page and the copyright file in their places, and the installed tool builds an installer
from a folder with nothing but a name; the Debian package holds the same files, names a
maintainer with an address, depends on the shared libraries' packages, and apt accepts it.

    package_test.py HOST_BUILD WIN32_BUILD

Exits with 77 (skipped) when the i686 images have not been built.
"""
import glob
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

HOST = WIN32 = ""
WORK = ""
IMAGES = {"setup.exe": "setup/setup.exe", "glimmer-carried.exe": "engine/glimmer-carried.exe"}
# libimagequant is linked in statically (built from Debian's source), so libimagequant0 is none.
LIBRARIES = ["libjpeg62-turbo", "libpng16-16", "libwebp7", "libheif1", "libgif7", "libexif12",
             "liblcms2-2"]


def run(*args, **kwargs):
    return subprocess.run([str(a) for a in args], capture_output=True, text=True, timeout=300,
                          **kwargs)


def make_pictures(folder):
    """A JPEG, a PNG and a BMP, and a file that is no picture."""
    os.makedirs(folder)
    p = lambda name: os.path.join(folder, name)
    for args in [["-size", "1200x900", "gradient:red-blue", "-quality", "85", p("01 beach.jpg")],
                 ["-size", "640x480", "plasma:", "-seed", "3", p("02 hills.png")],
                 ["-size", "320x240", "gradient:white-green", "-type", "Palette", "-compress",
                  "None", "BMP3:" + p("03 garden.bmp")]]:
        subprocess.run(["convert", *args], check=True, capture_output=True)
    with open(p("notes.txt"), "w") as f:
        f.write("where the pictures were taken\n")


class Installed(unittest.TestCase):
    def test_installed_tool_builds_from_a_folder(self):
        prefix = os.path.join(WORK, "prefix")
        r = run("cmake", "--install", HOST, "--prefix", prefix)
        self.assertEqual(r.returncode, 0, r.stderr)
        for name, built in IMAGES.items():
            with open(os.path.join(prefix, "share/glimmer", name), "rb") as f, \
                    open(os.path.join(WIN32, built), "rb") as g:
                self.assertTrue(f.read() == g.read(), name + " differs from the i686 build")
        self.assertTrue(os.path.isfile(os.path.join(prefix, "share/doc/glimmer-pack/copyright")))
        with gzip.open(os.path.join(prefix, "share/man/man1/glimmer-pack.1.gz"), "rt") as f:
            page = f.read()
        # Every option of every command's help is in the page.
        for command in ["build", "saver"]:
            options = re.findall(r"^  (--?[a-z-]+)", run(os.path.join(prefix, "bin",
                                 "glimmer-pack"), command, "--help").stdout, re.M)
            self.assertTrue(options, command)
            for option in options:
                self.assertIn("\\fB" + option.replace("-", "\\-"), page, command)

        pictures = os.path.join(WORK, "holiday")
        make_pictures(pictures)
        tool = os.path.join(prefix, "bin", "glimmer-pack")
        # Run from elsewhere: the tool finds its images from its own place, not the directory.
        r = run(tool, "build", "-o", "Holiday.exe", "--name", "Holiday", pictures + "/",
                cwd=WORK)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("skipped %s/notes.txt: not a picture" % pictures, r.stderr)
        self.assertTrue(r.stdout.startswith("3 slides, payload "), r.stdout)
        r = run(tool, "check", os.path.join(WORK, "Holiday.exe"))
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertIn("engine sustain up to 15000 ms in steps of 700 ms (the carried engine): ok",
                      r.stdout)
        self.assertIn("preview 270x208x8: ok", r.stdout)

    def test_debian_package(self):
        out = os.path.join(WORK, "deb")
        r = run("cpack", "--config", os.path.join(HOST, "CPackConfig.cmake"), "-B", out)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        packages = glob.glob(os.path.join(out, "glimmer-pack_*_*.deb"))
        self.assertEqual(len(packages), 1, os.listdir(out))
        package = packages[0]
        maintainer = run("dpkg-deb", "-f", package, "Maintainer").stdout.strip()
        self.assertRegex(maintainer, r"^[^<>]+ <[^<>@ ]+@[^<>@ ]+\.[a-z]+>$")
        depends = run("dpkg-deb", "-f", package, "Depends").stdout
        names = [d.strip().split()[0] for d in depends.split(",")]
        for library in LIBRARIES:
            self.assertIn(library, names)
        files = run("dpkg-deb", "-c", package).stdout
        for path in ["./usr/bin/glimmer-pack", "./usr/share/glimmer/setup.exe",
                     "./usr/share/glimmer/glimmer-carried.exe",
                     "./usr/share/doc/glimmer-pack/copyright",
                     "./usr/share/man/man1/glimmer-pack.1.gz"]:
            self.assertIn(path, files)
        r = run("apt-get", "install", "--simulate", "--no-install-recommends", package)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertIn("Inst glimmer-pack", r.stdout)


if __name__ == "__main__":
    HOST, WIN32 = sys.argv[1], sys.argv[2]
    if not WIN32 or not all(os.path.isfile(os.path.join(WIN32, p)) for p in IMAGES.values()):
        print("skipped: the i686 images are not built (make builds them)")
        sys.exit(77)
    WORK = tempfile.mkdtemp(prefix="glimmer-package-")
    try:
        program = unittest.main(argv=[sys.argv[0], "-v"], exit=False)
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
    sys.exit(0 if program.result.wasSuccessful() else 1)
