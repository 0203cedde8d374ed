#!/usr/bin/env python3
"""glimmer-pack build from the outside: every bad input named in one run and nothing written,
folders taken in name order with the skipped files named, the defaults for everything but the
name and the pictures (options, logo, preview collage, setup and engine images found beside
the tool), the pictures Windows 95 would draw blank, the engine variant, the memory the saver
will hold, and help on every command.

    pack_build_test.py GLIMMER_PACK
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pack_files as F  # noqa: E402

PACK = ""


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
PNG_END = png_chunk(b"IEND", b"")


def png_header(width, height, depth, colour_type):
    return png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 0))


def run(*args, tool=None):
    return subprocess.run([tool or PACK, *[str(a) for a in args]], capture_output=True,
                          text=True, timeout=120)


class PackBuild(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="glimmer-pack-build-")
        self.write("setup.exe", F.image(4096))
        self.write("engine.exe", F.image(3072, F.CARRIED_TAG))
        self.images = ["--setup", self.path("setup.exe"), "--engine", self.path("engine.exe")]

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def write(self, name, data):
        os.makedirs(os.path.dirname(self.path(name)), exist_ok=True)
        with open(self.path(name), "wb") as f:
            f.write(data)
        return self.path(name)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def assertNothingWritten(self, name="out.exe"):
        self.assertEqual([f for f in os.listdir(self.dir) if f.startswith(name)], [])

    def test_every_problem_is_named_in_one_run(self):
        good = self.write("good.bmp", F.bmp_file(F.dib(40, 30, 8)))
        self.write("cut.bmp", F.bmp_file(F.dib(40, 30, 8))[:-1])
        self.write("notes.bmp", b"GIF89a" + bytes(100))
        self.write("stamped.exe", F.stamped(F.image(4096)))
        self.write("huge.bmp", F.bmp_file(F.dib(4097, 4096, 1)))
        # A box as large as any: BMP files that fit it keep their size.
        r = run("build", "-o", self.path("out.exe"), "--setup", self.path("stamped.exe"),
                "--size", "16384x16384",
                "--engine", self.path("setup.exe"), "--name", "My-Saver", "--options",
                "DV" + "a" * 128, "--logo", self.path("nope.png"), good, self.path("cut.bmp"),
                self.path("notes.bmp"), self.path("huge.bmp"), self.path("missing.jpg"))
        self.assertEqual(r.returncode, 1)
        expected = [
            'the name "My-Saver" is refused: the installer takes only the letters A to Z, '
            'digits, underscores and spaces, and "-" is none of them',
            "holds an address longer than 127 characters",
            "stamped.exe: not an unstamped Windows executable",
            "setup.exe: not a glimmer engine (it carries no variant tag)",
            "nope.png: No such file or directory",
            "cut.bmp: its pixel rows run past the end of the file",
            "notes.bmp: cannot decode GIF",
            "huge.bmp: 4097 x 4096 pixels: Windows 95 would draw it blank on every display",
            "missing.jpg: No such file or directory",
            "9 problems found; %s not written" % self.path("out.exe"),
        ]
        for message in expected:
            self.assertIn(message, r.stderr)
        self.assertNotIn("good.bmp", r.stderr)
        self.assertNothingWritten()

    def test_folder_in_name_order_with_skipped_files_named(self):
        # Widths tell the slides apart in the listing.
        for name, width in [("IMG_10.bmp", 10), ("img_2.bmp", 2), ("Img_3.bmp", 3),
                            ("img_02a.bmp", 4), ("b.bmp", 5)]:
            self.write("pics/" + name, F.bmp_file(F.dib(width, 8, 8)))
        self.write("pics/notes.txt", b"holiday notes\n")
        self.write("pics/empty.dat", b"")
        self.write("pics/sub/deep.bmp", F.bmp_file(F.dib(7, 8, 8)))
        extra = self.write("extra.bmp", F.bmp_file(F.dib(9, 8, 8)))
        r = run("build", "-o", self.path("out.exe"), *self.images, "--name", "Holiday",
                self.path("pics"), extra)
        self.assertEqual(r.returncode, 0, r.stderr)
        out = self.read("out.exe")
        widths = [int.from_bytes(F.record_data(out, e)[4:8], "little")
                  for e in F.records(out)[5:-1]]
        self.assertEqual(widths, [5, 2, 4, 3, 10, 9])
        folder = self.path("pics")
        for name, reason in [("empty.dat", "empty file"), ("notes.txt", "not a picture"),
                             ("sub", "a folder (folders inside are not searched)")]:
            self.assertIn("skipped %s/%s: %s" % (folder, name, reason), r.stderr)

        os.makedirs(self.path("nothing"))
        self.write("nothing/readme.txt", b"no pictures here\n")
        r = run("build", "-o", self.path("out2.exe"), *self.images, "--name", "Holiday",
                self.path("nothing"))
        self.assertEqual(r.returncode, 1)
        self.assertIn("nothing: the folder holds no pictures", r.stderr)
        self.assertNothingWritten("out2.exe")

    def test_files_named_like_pictures_but_holding_none_are_problems_counted_once(self):
        bad = {
            # Named like a picture, first bytes of none: the folder rule.
            "beach.png": (b"<html>a page saved under a picture's name</html>",
                          "named like a PNG picture, but its first bytes are no picture format "
                          "this tool reads (a damaged or renamed file)"),
            "SIGNATURE.PNG": (b"\x89PNX\r\n\x1a\n" + png_header(8, 8, 8, 2) + PNG_END,
                              "named like a PNG picture, but its first bytes are no picture "
                              "format"),
            "empty.jpg": (b"", "named like a JPEG picture, but it is empty (a damaged file)"),
            "renamed.heic": (b"PK\x03\x04" + bytes(60), "named like a HEIF picture, but"),
            "x.avif": (bytes(64), "named like an AVIF picture, but"),
            # A picture format by its first bytes, damaged further on: the decoders.
            "depth.png": (PNG_SIGNATURE + png_header(8, 8, 3, 2) + PNG_END, ""),
            "no-data.png": (PNG_SIGNATURE + png_header(8, 8, 8, 2) + PNG_END, ""),
            "cut.jpg": (b"\xff\xd8\xff\xe0" + bytes(12), ""),
            "junk.gif": (b"GIF89a" + bytes(20), ""),
            "junk.webp": (b"RIFF" + struct.pack("<I", 30) + b"WEBPVP8 " + bytes(22), ""),
            "cut.bmp": (F.bmp_file(F.dib(40, 30, 8))[:-1], "its pixel rows run past the end"),
        }
        for name, (data, _) in bad.items():
            self.write("pics/" + name, data)
        # Named like no picture: skipped; a picture under another picture's name: taken.
        self.write("pics/notes.txt", b"holiday notes\n")
        self.write("pics/really-a-bmp.jpg", F.bmp_file(F.dib(8, 8, 8)))
        r = run("build", "-o", self.path("out.exe"), *self.images, "--name", "Holiday",
                self.path("pics"))
        self.assertEqual(r.returncode, 1)
        folder = self.path("pics")
        for name, (_, message) in bad.items():
            self.assertIn("glimmer-pack: %s/%s: %s" % (folder, name, message), r.stderr)
        self.assertIn("skipped %s/notes.txt: not a picture" % folder, r.stderr)
        self.assertNotIn("really-a-bmp.jpg", r.stderr)
        # The closing count is the number of problem lines printed.
        lines = r.stderr.splitlines()
        problems = [l for l in lines[:-1] if not re.match(r"glimmer-pack: (skipped|warning)", l)]
        self.assertEqual(len(problems), len(bad), r.stderr)
        self.assertEqual(lines[-1], "glimmer-pack: %d problems found; %s not written"
                         % (len(bad), self.path("out.exe")))
        self.assertNothingWritten()

    def test_preview_and_logo_files_in_a_packed_folder_are_not_slides(self):
        for name, width in [("a.bmp", 10), ("cover.bmp", 20), ("logo.bmp", 30), ("z.bmp", 40)]:
            self.write("pics/" + name, F.bmp_file(F.dib(width, 8, 8)))
        # Named differently on the command line from how the folder lists them.
        r = run("build", "-o", self.path("out.exe"), *self.images, "--name", "Holiday",
                "--preview", os.path.join(self.dir, ".", "pics", "cover.bmp"),
                "--logo", self.path("pics/logo.bmp"), self.path("pics") + "/")
        self.assertEqual(r.returncode, 0, r.stderr)
        folder = self.path("pics") + "/"
        self.assertIn("skipped %scover.bmp: given as --preview, so not a slide as well" % folder,
                      r.stderr)
        self.assertIn("skipped %slogo.bmp: given as --logo, so not a slide as well" % folder,
                      r.stderr)
        out = self.read("out.exe")
        widths = [int.from_bytes(F.record_data(out, e)[4:8], "little")
                  for e in F.records(out)[5:-1]]
        self.assertEqual(widths, [10, 40])

    def test_upscale_enlarges_slides_and_never_the_logo(self):
        slide = self.write("s.bmp", F.bmp_file(F.dib(40, 30, 8)))
        rows = [("a BMP logo", self.write("logo.bmp", F.bmp_file(F.solid24(32, 20, (9, 9, 9))))),
                ("a PNG logo", self.write("logo.png", PNG_SIGNATURE + png_header(32, 20, 8, 2)
                                          + png_chunk(b"IDAT", zlib.compress(
                                              (b"\0" + bytes(96)) * 20)) + PNG_END))]
        for name, logo in rows:
            with self.subTest(name):
                r = run("saver", "-o", self.path("out.scr"), "--engine", self.path("engine.exe"),
                        "--upscale", "--logo", logo, slide)
                self.assertEqual(r.returncode, 0, r.stderr)
                out = self.read("out.scr")
                entries = F.records(out, 3072)
                sizes = [struct.unpack_from("<ii", F.record_data(out, e), 4) for e in entries[1:3]]
                self.assertEqual(sizes, [(32, 20), (800, 600)])

    def test_output_that_cannot_be_written_is_named_before_any_picture(self):
        self.write("bad.bmp", F.bmp_file(F.dib(40, 30, 8))[:-1])
        target = self.path("missing/out.exe")
        r = run("build", "-o", target, *self.images, "--name", "Holiday", self.path("bad.bmp"))
        self.assertEqual(r.returncode, 1)
        lines = r.stderr.splitlines()
        self.assertEqual(lines[0], "glimmer-pack: %s: cannot be written, the folder %s does "
                         "not exist" % (target, self.path("missing")))
        self.assertIn("bad.bmp: its pixel rows run past the end", lines[1])
        self.assertEqual(lines[-1], "glimmer-pack: 2 problems found; %s not written" % target)

    def test_verbose_lines_come_in_slide_order(self):
        # The first slides are the slowest, so with several workers the later ones finish first.
        slides = [self.write("s%02d.bmp" % i, F.bmp_file(F.solid24(1600 - 120 * i, 1200, (i, 9, 9))))
                  for i in range(10)]
        r = run("saver", "-o", self.path("out.scr"), "--engine", self.path("engine.exe"),
                "--jobs", "4", "-v", *slides)
        self.assertEqual(r.returncode, 0, r.stderr)
        named = [l.split(":")[0].split()[-1] for l in r.stderr.splitlines()
                 if l.startswith("slide ")]
        self.assertEqual(named, slides)

    def test_defaults_give_the_engine_every_record_it_needs(self):
        colours = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0), (255, 0, 255)]
        slides = [self.write("s%d.bmp" % i, F.bmp_file(F.solid24(160, 120, c)))
                  for i, c in enumerate(colours)]
        r = run("build", "-o", self.path("out.exe"), *self.images, "--name", "Holiday",
                *slides)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stderr, "")
        out = self.read("out.exe")
        entries = F.records(out)
        self.assertEqual([k for _, k, _ in entries], [1, 2, 3, 1, 2, 2, 2, 2, 2, 2, 0])
        self.assertEqual(F.record_data(out, entries[3]), b"NV\0")
        logo = F.record_data(out, entries[4])
        self.assertEqual(logo[4:16], bytes.fromhex("01000000 01000000 0100 1800"))
        self.assertEqual(F.dib_pixel(logo, 0, 0), (0, 0, 0))
        # The preview: the first four slides in a 2 x 2 collage of 270 x 208 with black gaps.
        preview = F.record_data(out, entries[1])
        self.assertEqual(preview[4:12], bytes.fromhex("0e010000 d0000000"))
        for (x, y), colour in zip([(67, 52), (202, 52), (67, 156), (202, 156)], colours):
            self.assertEqual(F.dib_pixel(preview, x, y), colour, (x, y))
        for x, y in [(134, 52), (135, 52), (67, 103), (67, 104)]:
            self.assertEqual(F.dib_pixel(preview, x, y), (0, 0, 0), (x, y))
        self.assertTrue(r.stdout.startswith("5 slides, payload "), r.stdout)
        self.assertIn("the saver will hold 281 KB in memory: options, logo and 5 slides",
                      r.stdout)

    def test_memory_over_the_budget_is_a_warning(self):
        slide = self.write("big.bmp", F.bmp_file(F.dib(800, 600, 24)))
        r = run("saver", "-o", self.path("out.scr"), "--engine", self.path("engine.exe"),
                *[slide] * 12)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("the saver will hold 16.5 MB in memory: options, logo and 12 slides",
                      r.stdout)
        self.assertIn("warning: the saver will hold 16.5 MB in memory, more than the 16.0 MB",
                      r.stderr)
        r = run("saver", "-o", self.path("out.scr"), "--engine", self.path("engine.exe"),
                *[slide] * 11)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertNotIn("warning", r.stderr)

    def test_pictures_blank_on_some_displays_are_a_warning(self):
        rows = [
            # name, Dib, exit status, message
            ("blank at 32 bits", F.dib(2048, 2049, 1), 0,
             "2048 x 2049 pixels: Windows 95 draws it blank on displays of 32 bits per pixel"),
            ("blank at 24 bits", F.dib(2048, 2731, 1), 0,
             "2048 x 2731 pixels: Windows 95 draws it blank on displays of 24 bits per pixel or "
             "more, where its device bitmap needs 16779264 bytes"),
            ("blank everywhere", F.dib(4097, 4096, 1), 1,
             "4097 x 4096 pixels: Windows 95 would draw it blank on every display, since even "
             "at 256 colours it needs a device bitmap of 16785408 bytes, more than the 16 MB "
             "(16777216 bytes) Windows 95 allows"),
            # Wider than the largest box: fitted into it, so its coordinates stay in range.
            ("wider than the coordinates", F.dib(32767, 1, 1), 0, None),
        ]
        for name, data, status, message in rows:
            with self.subTest(name):
                slide = self.write("slide.bmp", F.bmp_file(data))
                # A box as large as any, so that the BMP keeps its size where it fits.
                r = run("build", "-o", self.path("out.exe"), *self.images, "--name", "Big",
                        "--size", "16384x16384", slide)
                self.assertEqual(r.returncode, status, r.stderr)
                if message is None:
                    self.assertNotIn("blank", r.stderr)
                    os.remove(self.path("out.exe"))
                    continue
                self.assertIn("slide.bmp: " + message, r.stderr)
                if status:
                    self.assertNothingWritten()
                else:
                    os.remove(self.path("out.exe"))
                    self.assertIn("warning: ", r.stderr)

    def test_engine_and_setup_images_are_told_apart(self):
        self.write("standalone.exe", F.image(3072, F.STANDALONE_TAG))
        self.write("unknown.exe", F.image(3072, b"glimmer engine variant: sustain 20000/950\0"))
        rows = [
            ("images swapped", ["--setup", self.path("engine.exe"), "--engine",
                                self.path("setup.exe")], 1,
             ["engine.exe: an engine, not the setup program",
              "setup.exe: not a glimmer engine"]),
            ("stand-alone engine", ["--setup", self.path("setup.exe"), "--engine",
                                    self.path("standalone.exe")], 0,
             ["warning: %s: the engine with sustain up to 30000 ms in steps of 1450 ms; "
              "installers normally carry the one with 15000/700" % self.path("standalone.exe")]),
            ("unknown variant", ["--setup", self.path("setup.exe"), "--engine",
                                 self.path("unknown.exe")], 1,
             ["unknown.exe: an engine variant no installer carries (sustain up to 20000 ms)"]),
        ]
        slide = self.write("s.bmp", F.bmp_file(F.dib(8, 8, 8)))
        for name, images, status, messages in rows:
            with self.subTest(name):
                r = run("build", "-o", self.path("out.exe"), *images, "--name", "X", slide)
                self.assertEqual(r.returncode, status, r.stderr)
                for message in messages:
                    self.assertIn(message, r.stderr)

    def test_setup_and_engine_found_beside_the_tool(self):
        pictures = self.path("pics")
        self.write("pics/a.bmp", F.bmp_file(F.dib(8, 8, 8)))
        layouts = [("installed prefix", "prefix/bin", "prefix/share/glimmer"),
                   ("dist folder", "dist", "dist/share/glimmer")]
        for name, bin_dir, share in layouts:
            with self.subTest(name):
                os.makedirs(self.path(bin_dir), exist_ok=True)
                tool = os.path.join(self.path(bin_dir), "glimmer-pack")
                shutil.copy(PACK, tool)
                os.makedirs(self.path(share))
                self.write(share + "/setup.exe", F.image(4096))
                self.write(share + "/glimmer-carried.exe", F.image(3072, F.CARRIED_TAG))
                out = self.path(bin_dir + "/Holiday.exe")
                r = run("build", "-o", out, "--name", "Holiday", pictures, tool=tool)
                self.assertEqual(r.returncode, 0, r.stderr)
                with open(out, "rb") as f:
                    data = f.read()
                self.assertEqual(data[:4096], F.stamped(F.image(4096)))
                self.assertEqual(F.record_data(data, F.records(data)[2]),
                                 F.image(3072, F.CARRIED_TAG))
                shutil.rmtree(self.path(share))
                r = run("build", "-o", out + "2", "--name", "Holiday", pictures, tool=tool)
                self.assertEqual(r.returncode, 1)
                self.assertIn("no setup.exe installed with glimmer-pack (looked in", r.stderr)
                self.assertIn("give its path with --setup", r.stderr)
                self.assertIn("no glimmer-carried.exe installed with glimmer-pack", r.stderr)

    def test_same_bytes_whatever_the_number_of_workers(self):
        slides = [self.write("s%d.bmp" % i, F.bmp_file(F.solid24(64 + i, 48, (40 * i, 90, 200))))
                  for i in range(6)]
        outputs = []
        for jobs in ["1", "4"]:
            r = run("build", "-o", self.path("j%s.exe" % jobs), *self.images, "--name", "J",
                    "--jobs", jobs, *slides)
            self.assertEqual(r.returncode, 0, r.stderr)
            outputs.append(self.read("j%s.exe" % jobs))
        self.assertEqual(outputs[0], outputs[1])

    def test_help_on_every_command(self):
        rows = [("build", "usage: glimmer-pack build"), ("saver", "usage: glimmer-pack saver"),
                ("list", "usage: glimmer-pack list"), ("extract", "usage: glimmer-pack extract"),
                ("check", "usage: glimmer-pack check")]
        for command, first in rows:
            with self.subTest(command):
                r = run(command, "--help")
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertTrue(r.stdout.startswith(first), r.stdout)
        r = run("--help")
        self.assertEqual(r.returncode, 0)
        self.assertIn("glimmer-pack check FILE", r.stdout)
        r = run("--version")
        self.assertEqual(r.returncode, 0)
        self.assertRegex(r.stdout, r"^glimmer-pack \d+\.\d+\.\d+\n$")
        # A saver file has no preview, and its help does not offer one.
        r = run("saver", "--help")
        self.assertNotIn("preview", r.stdout)
        self.assertIn("--logo-size WxH  box a logo larger than it is fitted into, a photo or a BMP",
                      run("build", "--help").stdout)
        r = run("build", "--bogus")
        self.assertEqual(r.returncode, 1)
        self.assertIn("unknown option --bogus (glimmer-pack build --help lists them)", r.stderr)


if __name__ == "__main__":
    PACK = os.path.abspath(sys.argv[1])
    unittest.main(argv=[sys.argv[0], "-v"])
