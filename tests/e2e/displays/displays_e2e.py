#!/usr/bin/env python3
"""The installer and the saver it writes on each display depth a Windows 95 PC had: the
installer's preview is painted in the picture's own colours, Install succeeds, and the installed
saver runs full-screen: the logo at the bottom right, the red banner at the bottom left, the
slide fading in to its full colour at its own size. At 640 x 480 the 800 x 600 slide is larger
than the screen: it sits at (0, 0) and is clipped. Every colour is a pure one, which each depth
shows exactly.

    displays_e2e.py GLIMMER_PACK SETUP_EXE ENGINE_EXE DRIVER_EXE E2E_DIR

E2E_DIR holds setup_e2e.py and saver_e2e.py, whose helpers this test shares.
Environment (set by CTest): WINE, WINEPREFIX, DISPLAY and GLIMMER_PREFIX8/16/640 with
GLIMMER_DISPLAY8/16/640.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

PACK = SETUP_IMAGE = ENGINE = ""
NAME = "Display Check"
RED, GREEN, BLUE, WHITE = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)
SLIDE_W, SLIDE_H = 800, 600
LOGO_W, LOGO_H = 320, 200
installer = saver = None  # the setup_e2e and saver_e2e modules
WORK = ""

# name, display variable, prefix variable, screen size
DISPLAYS = [
    ("24-bit", "DISPLAY", "WINEPREFIX", (1024, 768)),
    ("16-bit", "GLIMMER_DISPLAY16", "GLIMMER_PREFIX16", (1024, 768)),
    ("8-bit", "GLIMMER_DISPLAY8", "GLIMMER_PREFIX8", (1024, 768)),
    ("640x480", "GLIMMER_DISPLAY640", "GLIMMER_PREFIX640", (640, 480)),
]


def quadrant_preview(path, width, height):
    """An 8-bit picture of four quadrants: red, green on top; blue, white below."""
    stride = (width + 3) & ~3
    table = b"".join(bytes((c[2], c[1], c[0], 0)) for c in (RED, GREEN, BLUE, WHITE))
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        top = y < height // 2
        row = bytes((0 if top else 2) if x < width // 2 else (1 if top else 3)
                    for x in range(width))
        rows.append(row + bytes(stride - width))
    saver.write_bmp(path, width, height, 8, 4, table, b"".join(rows))


def make_installer():
    p = lambda name: os.path.join(WORK, name)
    quadrant_preview(p("preview.bmp"), 160, 120)
    saver.bmp_24bit(p("logo.bmp"), LOGO_W, LOGO_H, BLUE)
    saver.bmp_8bit(p("slide.bmp"), SLIDE_W, SLIDE_H, GREEN)
    out = p("displays-setup.exe")
    subprocess.run([PACK, "build", "-o", out, "--setup", SETUP_IMAGE, "--engine", ENGINE,
                    "--name", NAME, "--preview", p("preview.bmp"), "--options", "DV",
                    "--logo", p("logo.bmp"), p("slide.bmp")], check=True, timeout=60,
                   capture_output=True)
    return out


def box_of(shot, colour, area):
    left, top, right, bottom = area
    found = None
    for y in range(max(top, 0), min(bottom, shot.height)):
        for x in range(max(left, 0), min(right, shot.width)):
            if shot.at(x, y) == colour:
                found = (x, y, x, y) if found is None else (
                    min(found[0], x), min(found[1], y), max(found[2], x), max(found[3], y))
    return found


class Displays(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.installer = make_installer()
        cls.environment = dict(os.environ)

    def tearDown(self):
        os.environ.clear()
        os.environ.update(self.environment)

    def use_display(self, display_var, prefix_var):
        display, prefix = os.environ.get(display_var), os.environ.get(prefix_var)
        if not display or not prefix:
            self.fail("%s and %s must be set by the test command" % (display_var, prefix_var))
        os.environ["DISPLAY"], os.environ["WINEPREFIX"] = display, prefix
        return os.path.join(prefix, "drive_c", "windows", "system32", NAME + ".scr")

    def check_preview(self, label):
        x, y, width, height = (int(v) for v in installer.driver("rect", "Setup")["_out"].split())
        shot = saver.Screen()
        area = (x, y, x + width, y + height)
        boxes = {name: box_of(shot, colour, area)
                 for name, colour in (("red", RED), ("green", GREEN), ("blue", BLUE))}
        for name, box in boxes.items():
            self.assertIsNotNone(box, "%s: no %s quadrant in the preview" % (label, name))
        red, green, blue = (boxes[n] for n in ("red", "green", "blue"))
        # White is looked for only where the fourth quadrant belongs: the name field is white too.
        white = box_of(shot, WHITE, (green[0], blue[1], green[2] + 1, blue[3] + 1))
        self.assertIsNotNone(white, "%s: no white quadrant in the preview" % label)
        # Four quadrants that meet, left and right, top and bottom, of about the same size.
        self.assertEqual((red[1], red[3]), (green[1], green[3]), label)
        self.assertEqual((blue[1], blue[3]), (white[1], white[3]), label)
        self.assertEqual((red[0], red[2]), (blue[0], blue[2]), label)
        self.assertEqual(green[0], red[2] + 1, label)
        self.assertEqual(blue[1], red[3] + 1, label)
        self.assertLessEqual(abs((red[2] - red[0]) - (white[2] - white[0])), 2, label)
        self.assertGreater(red[2] - red[0], 100, "%s: the preview is too small" % label)

    @staticmethod
    def full_colour(shot, screen):
        """True once the slide shows at full intensity: its pure green is on screen."""
        width, height = screen
        if width >= SLIDE_W:
            return shot.find(lambda p: p == GREEN, step=4) is not None
        return shot.at(0, 0) == GREEN

    def run_saver(self, label, path, screen):
        width, height = screen
        process = subprocess.Popen([installer.WINE, path, "/s"], stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            self.assertEqual(installer.driver("window", "MainClass", 20000)["_rc"], 0)
            # Shots for at least 3.5 s, then on until the slide has reached its full colour: on a
            # loaded machine the fade's timer ticks come late, so a fixed span can end mid-fade.
            shots, start = [], time.monotonic()
            while True:
                shots.append(saver.Screen())
                elapsed = time.monotonic() - start
                if elapsed >= 3.5 and (elapsed > 60 or self.full_colour(shots[-1], screen)):
                    break
            self.assertEqual((shots[0].width, shots[0].height), screen)
            last = shots[-1]
            if width >= SLIDE_W:
                self.assertTrue(any(s.at(width - 1, height - 1) == BLUE for s in shots),
                                "%s: no logo at the bottom right" % label)
                red = max(s.count(0, height - saver.BANNER_HEIGHT, 500, height, saver.is_red)
                          for s in shots)
                self.assertGreater(red, 100, "%s: no red banner" % label)
                box = last.find(lambda p: p == GREEN, step=1)
                self.assertIsNotNone(box, "%s: the slide did not reach its full colour" % label)
                self.assertEqual((box[2] - box[0] + 1, box[3] - box[1] + 1), (SLIDE_W, SLIDE_H),
                                 "%s: the slide is not drawn at its own size" % label)
                self.assertEqual(last.at(box[0] - 1, box[1]) if box[0] > 0 else (0, 0, 0),
                                 (0, 0, 0))
            else:
                # Larger than the screen: at (0, 0), clipped on both axes.
                self.assertEqual(last.at(0, 0), GREEN, label)
                self.assertEqual(last.at(width - 1, height - 1), GREEN, label)
                self.assertEqual(last.find(lambda p: p == GREEN), (0, 0, width - 4, height - 4))
            subprocess.run(["xdotool", "key", "space"], check=True, timeout=30)
            self.assertEqual(process.wait(20), 0, "%s: the saver did not end cleanly" % label)
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()

    def test_installer_preview_and_installed_saver_on_every_display(self):
        for label, display_var, prefix_var, screen in DISPLAYS:
            with self.subTest(label):
                path = self.use_display(display_var, prefix_var)
                if os.path.exists(path):
                    os.remove(path)
                run = installer.Setup(self.installer)
                try:
                    self.check_preview(label)
                    self.assertEqual(run.press(installer.INSTALL).get("CAPTION"), "Success")
                    self.assertEqual(run.wait_end(), 0)
                finally:
                    run.stop()
                self.run_saver(label, path, screen)
                os.remove(path)


if __name__ == "__main__":
    PACK, SETUP_IMAGE, ENGINE, driver_exe, e2e = sys.argv[1:6]
    sys.path[:0] = [os.path.join(e2e, "setup"), os.path.join(e2e, "saver")]
    import saver_e2e as saver
    import setup_e2e as installer
    installer.DRIVER = driver_exe
    WORK = tempfile.mkdtemp(prefix="glimmer-displays-")
    try:
        unittest.main(argv=sys.argv[:1], verbosity=2)
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
