#!/usr/bin/env python3
"""A stamped engine with a payload, run as Windows runs a screen saver, checked on screenshots.

    saver_e2e.py ENGINE_EXE GLIMMER_PACK SAVER_HOST_EXE

The saver file is made by glimmer-pack from pictures written here: an 8-bit green slide and a
24-bit blue logo of 320 x 200. With /s the screen turns black, the logo sits at the bottom
right, the red banner at the bottom left and the slide fades in; a key press, or the pointer
moving more than 100 pixels, ends it with exit code 0. /p HANDLE runs it as a child filling a
window of the test's own until a click ends it. An engine without a payload ends with 0 and
shows nothing.

Environment (set by CTest): WINE, WINEPREFIX, DISPLAY.
"""
import os
import select
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

WINE = os.environ.get("WINE", "/usr/lib/wine/wine")
ENGINE = PACK = HOST = ""
WORK = ""
SLIDE = (0, 255, 0)
LOGO = (0, 0, 255)
SLIDE_W, SLIDE_H = 200, 150
LOGO_W, LOGO_H = 320, 200
BANNER_HEIGHT = 26


def bmp_8bit(path, width, height, colour):
    """A bottom-up 8-bit .BMP whose pixels all use table entry 1."""
    stride = (width + 3) & ~3
    table = bytes(4 * 256)
    table = table[:4] + bytes((colour[2], colour[1], colour[0], 0)) + table[8:]
    pixels = bytes([1]) * stride * height
    write_bmp(path, width, height, 8, 256, table, pixels)


def bmp_24bit(path, width, height, colour):
    stride = (width * 3 + 3) & ~3
    row = bytes((colour[2], colour[1], colour[0])) * width
    row += bytes(stride - len(row))
    write_bmp(path, width, height, 24, 0, b"", row * height)


def write_bmp(path, width, height, bits, colours, table, pixels):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 2835, 2835,
                       colours, 0)
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + table + pixels)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


class Screen:
    """A screenshot of the whole X screen, pixels as (r, g, b)."""

    def __init__(self):
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                              capture_output=True, check=True, timeout=30).stdout
        fields, position = [], 0
        while len(fields) < 4:
            while data[position:position + 1].isspace():
                position += 1
            end = position
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[position:end])
            position = end
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[position + 1:]
        self.taken = time.monotonic()

    def at(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.pixels[i:i + 3])

    def count(self, left, top, right, bottom, test):
        return sum(1 for y in range(top, bottom) for x in range(left, right)
                   if test(self.at(x, y)))

    def find(self, test, step=4):
        """Bounding box (left, top, right, bottom) of pixels passing test on a sparse grid."""
        box = None
        for y in range(0, self.height, step):
            for x in range(0, self.width, step):
                if test(self.at(x, y)):
                    box = (x, y, x, y) if box is None else (
                        min(box[0], x), min(box[1], y), max(box[2], x), max(box[3], y))
        return box


def is_black(p):
    return p == (0, 0, 0)


def is_red(p):
    return p[0] >= 128 and p[1] < 40 and p[2] < 40


def is_slide(p):
    return p[0] == 0 and p[2] == 0 and p[1] > 0


class Host:
    """saver-host running in the background, its output read line by line."""

    def __init__(self, *args):
        # Unbuffered: select() must see every line that has not been read yet.
        self.process = subprocess.Popen([WINE, HOST] + [str(a) for a in args],
                                        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, bufsize=0)
        self.lines = []

    def wait_for(self, prefix, timeout=30):
        """The first output line starting with prefix, or None when the host ended or time ran
        out."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for line in self.lines:
                if line.startswith(prefix):
                    return line
            ready, _, _ = select.select([self.process.stdout], [], [], 0.2)
            if ready:
                raw = self.process.stdout.readline()
                if not raw:
                    return None
                self.lines.append(raw.decode(errors="replace").strip())
        return None

    def exit_code(self, timeout=30):
        line = self.wait_for("EXIT", timeout)
        return int(line.split()[1]) if line else None

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()
        self.process.stdout.close()


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True, timeout=30)


class SaverEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        bmp_8bit(os.path.join(WORK, "slide.bmp"), SLIDE_W, SLIDE_H, SLIDE)
        bmp_24bit(os.path.join(WORK, "logo.bmp"), LOGO_W, LOGO_H, LOGO)
        cls.saver = os.path.join(WORK, "Slideshow Check.scr")
        subprocess.run([PACK, "saver", "-o", cls.saver, "--engine", ENGINE, "--options", "DV",
                        "--logo", os.path.join(WORK, "logo.bmp"),
                        os.path.join(WORK, "slide.bmp")], check=True, timeout=60)

    def setUp(self):
        self.hosts = []
        # Through Wine, so that the position Wine reports at the saver's start is the pointer's
        # real one even in a fresh prefix.
        subprocess.run([WINE, HOST, "cursor", "512", "384"], check=True, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def tearDown(self):
        for host in self.hosts:
            host.stop()

    def host(self, *args):
        host = Host(*args)
        self.hosts.append(host)
        return host

    def run_saver(self):
        command = '"%s" /s' % windows_path(self.saver)
        host = self.host("run", 60000, command)
        self.assertIsNotNone(host.wait_for("SHOWN"), "the saver showed no window")
        return host

    def test_full_screen_fades_the_slide_in_beside_logo_and_banner(self):
        host = self.run_saver()
        shots = []
        start = time.monotonic()
        while time.monotonic() - start < 3.5:
            shots.append(Screen())
        first = shots[0]
        width, height = first.width, first.height
        logo_x, logo_y = width - LOGO_W, height - LOGO_H

        # Black around everything the saver draws.
        self.assertEqual(first.at(width // 2, 10), (0, 0, 0))
        self.assertEqual(first.at(10, 10), (0, 0, 0))

        # The logo at the bottom right, the banner at the bottom left.
        with_logo = [s for s in shots if s.at(width - 1, height - 1) == LOGO]
        self.assertTrue(with_logo, "no screenshot shows the logo")
        logo_shot = with_logo[-1]
        self.assertEqual(logo_shot.at(logo_x, logo_y), LOGO)
        self.assertNotEqual(logo_shot.at(logo_x - 1, logo_y), LOGO)
        red = max(s.count(0, height - BANNER_HEIGHT, 500, height, is_red) for s in shots)
        self.assertGreater(red, 100, "no red banner at the bottom left")
        self.assertEqual(logo_shot.count(0, 0, width, height - BANNER_HEIGHT - 2, is_red), 0)

        # The slide: green growing from dark to full, in one place, clear of the logo.
        greens = []
        for shot in shots:
            box = shot.find(is_slide)
            if box:
                greens.append(shot.at((box[0] + box[2]) // 2, (box[1] + box[3]) // 2)[1])
        self.assertTrue(greens, "no slide appeared")
        self.assertTrue(any(0 < g < 200 for g in greens), "no dim fade step seen: %s" % greens)
        self.assertEqual(greens[-1], 255, "the slide did not reach full intensity: %s" % greens)
        self.assertEqual(greens, sorted(greens), "intensity fell while fading in: %s" % greens)
        last = shots[-1]
        box = last.find(is_slide, step=1)
        # Full-screen a slide is drawn at exactly its own size.
        self.assertEqual((box[2] - box[0] + 1, box[3] - box[1] + 1), (SLIDE_W, SLIDE_H))
        self.assertTrue(logo_x > box[2] + 10 or logo_y > box[3] + 10)

        # Any key ends the saver with exit code 0.
        xdotool("key", "space")
        self.assertEqual(host.exit_code(), 0)

    def test_pointer_moving_beyond_100_pixels_ends_it(self):
        host = self.run_saver()
        time.sleep(0.5)
        xdotool("mousemove", 512 + 100, 384 - 100)
        time.sleep(0.7)
        self.assertIsNone(host.wait_for("EXIT", 0.2), "a move of 100 pixels ended the saver")
        xdotool("mousemove", 512 + 101, 384)
        self.assertEqual(host.exit_code(), 0)

    def test_preview_runs_as_a_child_filling_the_given_window(self):
        # Wine 8 cannot show what one process draws into a child of another process's window
        # (the engine's drawing reaches no X drawable), so the miniature's pixels are checked
        # by the slideshow's own Wine test, in one process. Here: the window the engine makes
        # for /p HANDLE, its life and its end.
        host = self.host("preview", 60000, windows_path(self.saver))
        ready = host.wait_for("READY")
        self.assertIsNotNone(ready, "no visible preview child appeared")
        width, height = (int(v) for v in ready.split()[1:])
        child = host.wait_for("CHILD").split()[1:]
        self.assertEqual([int(v) for v in child], [0, 0, width, height, 1])

        # Pointer motion does not end the preview; a click does, with exit code 0.
        xdotool("mousemove", 150, 150)
        xdotool("mousemove", 900, 700)
        time.sleep(1.0)
        self.assertIsNone(host.wait_for("EXIT", 0.2), "the preview ended on pointer motion")
        clicker = self.host("click", 10000)
        self.assertIsNotNone(clicker.wait_for("CLICKED"))
        self.assertEqual(host.exit_code(), 0)
        self.assertEqual(host.wait_for("CHILD_GONE"), "CHILD_GONE 1")

    def test_engine_without_payload_exits_without_a_window(self):
        host = self.host("run", 30000, '"%s" /s' % windows_path(ENGINE))
        self.assertEqual(host.exit_code(), 0)
        self.assertNotIn("SHOWN", host.lines)

    def test_banner_text_is_not_stored_in_the_clear(self):
        with open(self.saver, "rb") as f:
            self.assertNotIn(b"slideshow screen saver", f.read())


if __name__ == "__main__":
    ENGINE, PACK, HOST = sys.argv[1:4]
    WORK = tempfile.mkdtemp(prefix="glimmer-saver-")
    try:
        unittest.main(argv=sys.argv[:1], verbosity=2)
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
