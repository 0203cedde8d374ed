#!/usr/bin/env python3
"""setup.exe under Wine, driven from outside like a user: type a name, press a button, read
the one message box and press OK. Then the saver it installed runs full-screen with /s.

    setup_e2e.py SETUP_EXE DRIVER_EXE

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

WINE = os.environ.get("WINE", "/usr/lib/wine/wine")
PREFIX = os.environ.get("WINEPREFIX", "")
SYSTEM_DIR = os.path.join(PREFIX, "drive_c", "windows", "system32")
SETUP = DRIVER = ""

INSTALL, UNINSTALL, CANCEL, NAME = 100, 101, 2, 102
VK_ESCAPE = 0x1B
MISSING_DATA = "This .EXE File is Missing Critical Data"
BAD_NAME = ("The screen saver's name can only contain\\nletters, digits, underscores, "
            "and spaces.")


def wine32_runs():
    """True when 32-bit Wine is installed and this kernel can run it (some cannot run 32-bit
    programs at all, and the loader then fails with an exec format error)."""
    try:
        return subprocess.run(["/usr/lib/wine/wine", "--version"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=60).returncode == 0
    except OSError:
        return False


def installed_text(name):
    return (name + " has been installed. You can now select\\nthis screen saver from the "
            "Control Panel.  Follow the path:\\n Start | Settings | Control Panel | Display | "
            "Screen Saver")


def driver(*args, check=True):
    """Runs the driver; its output as a dict of KEY=value lines (or the raw text)."""
    result = subprocess.run([WINE, DRIVER] + [str(a) for a in args], capture_output=True,
                            text=True, errors="replace", timeout=60)
    if check and result.returncode != 0:
        raise AssertionError("driver %s failed with exit code %d: %s" % (
            args, result.returncode, result.stderr.strip()))
    values = {}
    for line in result.stdout.replace("\r", "").splitlines():
        key, _, value = line.partition("=")
        values[key] = value
    values["_rc"] = result.returncode
    values["_out"] = result.stdout
    return values


def saver_path(name):
    return os.path.join(SYSTEM_DIR, name + ".scr")


def remove_saver(name):
    if os.path.exists(saver_path(name)):
        os.remove(saver_path(name))


class Setup:
    """One run of an installer, until it ends."""

    def __init__(self, program):
        self.process = subprocess.Popen([WINE, program], stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # A cold start of Wine after the other end-to-end tests has been seen to take over 20 s.
        driver("wait", "Setup", 60000)

    def press(self, button, name=None):
        """Types the name (when given), presses the button and reads the message box."""
        if name is not None:
            driver("settext", "Setup", NAME, name)
        driver("click", "Setup", button)
        return driver("box", "Setup", 20000, "ok")

    def wait_end(self, timeout=20):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def running(self):
        time.sleep(0.5)
        return self.process.poll() is None and driver("wait", "Setup", 2000, check=False)["_rc"] == 0

    def stop(self):
        if self.process.poll() is None:
            driver("close", "Setup", check=False)
            if self.wait_end(10) is None:
                self.process.kill()
                self.process.wait()


def saver_shows_pictures(test, name, what="picture", lit_needed=0.2):
    """Runs the installed saver full-screen (/s) until pictures light lit_needed of the screen,
    then closes it and expects exit code 0; fails the test on the way."""
    saver = subprocess.Popen([WINE, saver_path(name), "/s"], stdin=subprocess.DEVNULL,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        driver("window", "MainClass", 20000)
        lit, deadline = 0.0, time.time() + 30
        while lit < lit_needed and time.time() < deadline:
            time.sleep(0.5)
            lit = SetupEndToEnd.lit_fraction()
        test.assertGreaterEqual(lit, lit_needed, "no %s appeared on the screen" % what)
        driver("window", "MainClass", 5000, "close")
        test.assertEqual(saver.wait(20), 0)
    finally:
        if saver.poll() is None:
            saver.kill()
            saver.wait()


def expected_saver(installer):
    """The saver file predicted from an installer's bytes: its engine record with subsystem
    version 4.0 and stamped with its own size, then every byte from the options record on."""
    with open(installer, "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 106)[0]
    position, records = offset, []
    while True:
        kind, size = struct.unpack_from("<HI", data, position)
        records.append((kind, position, size))
        position += 6 + size
        if kind == 0:
            break
    assert [r[0] for r in records[:3]] == [1, 2, 3]
    engine = bytearray(data[records[2][1] + 6:records[2][1] + 6 + records[2][2]])
    assert engine[80:119] == b"This program must be run under Win32\r\n$"
    assert struct.unpack_from("<HH", engine, 328) == (3, 10)
    struct.pack_into("<HH", engine, 328, 4, 0)
    engine[80:106] = b"Must be run under Win32\r\n$"
    struct.pack_into("<I", engine, 106, len(engine))
    return bytes(engine) + data[records[3][1]:position], len(records) - 6


class SetupEndToEnd(unittest.TestCase):
    def setUp(self):
        self.runs = []

    def tearDown(self):
        for run in self.runs:
            run.stop()

    def start(self, program=None):
        run = Setup(program or SETUP)
        self.runs.append(run)
        return run

    def assertBox(self, box, caption, text):
        self.assertEqual(box.get("CAPTION"), caption)
        self.assertEqual(box.get("TEXT"), text)

    def test_shipped_name_installs_the_predicted_file_and_uninstalls(self):
        name = "Glimmer Scenic Tour"
        remove_saver(name)
        run = self.start()
        self.assertEqual(driver("gettext", "Setup", NAME)["TEXT"], name)
        self.assertBox(run.press(INSTALL), "Success", installed_text(name))
        self.assertEqual(run.wait_end(), 0)
        expected, slides = expected_saver(SETUP)
        self.assertGreaterEqual(slides, 11)
        with open(saver_path(name), "rb") as f:
            self.assertTrue(f.read() == expected, "installed file differs from the prediction")

        # Installing again is refused and leaves the dialog open; uninstall then closes it.
        run = self.start()
        self.assertBox(run.press(INSTALL), "Cannot Install",
                       'A screen saver named "%s" is already installed.' % name)
        self.assertTrue(run.running())
        with open(saver_path(name), "rb") as f:
            self.assertTrue(f.read() == expected)
        self.assertBox(run.press(UNINSTALL), "Success", "Screen saver removed.")
        self.assertEqual(run.wait_end(), 0)
        self.assertFalse(os.path.exists(saver_path(name)))

        run = self.start()
        self.assertBox(run.press(UNINSTALL), "Cannot Uninstall", '"%s" was not found.' % name)
        self.assertTrue(run.running())

    def test_names_as_typed(self):
        rows = [
            # typed, file name installed (None: refused), message caption, text
            ("blanks-around", "   My Saver_2\t ", "My Saver_2", "Success",
             installed_text("My Saver_2")),
            # Code page 1252 letters are never trimmed away: the name rule refuses them.
            ("accents-at-the-ends", "\\xe9Sunset\\xe9", None, "Error", BAD_NAME),
            ("cafe", "Caf\\xe9", None, "Error", BAD_NAME),
            ("elan", "\\xc9lan ", None, "Error", BAD_NAME),
            ("cut-to-79-characters", "N" * 85, "N" * 79, "Success", installed_text("N" * 79)),
            ("blanks-only", "     ", None, "Error", "No Screen Saver's Name"),
            ("hyphen", "My-Saver", None, "Error", BAD_NAME),
            ("dot", "My.Saver", None, "Error", BAD_NAME),
            ("accent-inside", "Caf\\xe9 Bar", None, "Error", BAD_NAME),
        ]
        for label, typed, installed, caption, text in rows:
            with self.subTest(label):
                if installed:
                    remove_saver(installed)
                before = set(os.listdir(SYSTEM_DIR))
                run = self.start()
                self.assertBox(run.press(INSTALL, typed), caption, text)
                if installed:
                    self.assertEqual(run.wait_end(), 0)
                    self.assertTrue(os.path.exists(saver_path(installed)))
                    remove_saver(installed)
                else:
                    self.assertTrue(run.running(), "a refused name must leave the dialog open")
                    self.assertEqual(set(os.listdir(SYSTEM_DIR)), before)
                    run.stop()

    def test_cancel_escape_and_close_end_without_a_message(self):
        rows = [
            ("cancel", lambda: driver("click", "Setup", CANCEL)),
            ("escape", lambda: driver("key", "Setup", VK_ESCAPE)),
            ("close-box", lambda: driver("close", "Setup")),
        ]
        for label, action in rows:
            with self.subTest(label):
                run = self.start()
                action()
                self.assertEqual(run.wait_end(), 0)
                self.assertNotEqual(driver("box", "Setup", 500, check=False)["_rc"], 0)

    def test_installer_with_its_payload_cut_off_says_bug_and_ends(self):
        with open(SETUP, "rb") as f:
            data = f.read()
        offset = struct.unpack_from("<I", data, 106)[0]
        rows = [("cut-inside-the-preview", offset + 26 + 1000), ("no-payload-at-all", offset)]
        folder = tempfile.mkdtemp(prefix="glimmer-e2e-")
        try:
            for label, length in rows:
                with self.subTest(label):
                    damaged = os.path.join(folder, label + ".exe")
                    with open(damaged, "wb") as f:
                        f.write(data[:length])
                    run = Setup(damaged)
                    self.runs.append(run)
                    self.assertEqual(driver("gettext", "Setup", NAME)["TEXT"], "")
                    self.assertBox(driver("box", "Setup", 20000, "ok"), "Bug", MISSING_DATA)
                    self.assertEqual(run.wait_end(), 0)
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    def test_installed_saver_shows_slides_full_screen(self):
        name = "Glimmer E2E Slides"
        remove_saver(name)
        run = self.start()
        self.assertEqual(run.press(INSTALL, name).get("CAPTION"), "Success")
        self.assertEqual(run.wait_end(), 0)
        saver = subprocess.Popen([WINE, saver_path(name), "/s"], stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            window, deadline = None, time.time() + 30
            while window is None and saver.poll() is None and time.time() < deadline:
                found = driver("window", "MainClass", 1000, check=False)
                if found["_rc"] == 0:
                    window = found["_out"].split()
            self.assertIsNotNone(window, "no saver window; the saver %s" % (
                "is still running" if saver.poll() is None
                else "ended with exit code %s" % saver.returncode))
            self.assertEqual(window[2:], self.screen_size())
            # Some slide must cover a good part of the black screen within a fade or two.
            lit, deadline = 0.0, time.time() + 30
            while lit < 0.25 and time.time() < deadline:
                time.sleep(0.5)
                lit = self.lit_fraction()
            self.assertGreaterEqual(lit, 0.25, "no slide appeared on the screen")
            driver("window", "MainClass", 5000, "close")
            self.assertEqual(saver.wait(20), 0)
        finally:
            if saver.poll() is None:
                saver.kill()
                saver.wait()
            remove_saver(name)

    @staticmethod
    def screen_size():
        out = subprocess.run(["xdpyinfo"], capture_output=True, text=True).stdout
        for line in out.splitlines():
            if "dimensions:" in line:
                return line.split()[1].split("x")
        return []

    @staticmethod
    def lit_fraction():
        """The share of screen pixels that are not black."""
        shot = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True).stdout
        result = subprocess.run(["convert", "png:-", "-fill", "white", "+opaque", "black",
                                 "-format", "%[fx:mean]", "info:"], input=shot,
                                capture_output=True)
        return float(result.stdout or 0)


if __name__ == "__main__":
    SETUP, DRIVER = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0], "-v"])
