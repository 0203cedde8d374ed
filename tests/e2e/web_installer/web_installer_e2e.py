#!/usr/bin/env python3
"""The installer the page made in chromium (kept by the browser test browser.page) installed
through its dialog under Wine, and the saver it wrote run full-screen with its slides on screen.

    web_installer_e2e.py INSTALLER DRIVER_EXE SETUP_TEST_DIR

SETUP_TEST_DIR holds setup_e2e.py, whose dialog helpers this test shares. Exits with 77
(skipped) where 32-bit Wine is not installed or the browser test made no installer (it skips
where the page or chromium is missing). Environment (set by CTest): WINE, WINEPREFIX, DISPLAY.
"""
import os
import sys
import unittest

NAME = "Page Saver"
INSTALLER = ""
installer = None  # the setup_e2e module


class WebInstaller(unittest.TestCase):
    def test_installs_and_shows_the_slides(self):
        installer.remove_saver(NAME)
        setup = installer.Setup(INSTALLER)
        try:
            self.assertEqual(installer.driver("gettext", "Setup", installer.NAME)["TEXT"], NAME)
            box = setup.press(installer.INSTALL)
            self.assertEqual(box.get("CAPTION"), "Success", box)
            self.assertEqual(setup.wait_end(), 0)
        finally:
            setup.stop()
        try:
            expected, slides = installer.expected_saver(INSTALLER)
            self.assertEqual(slides, 8)
            with open(installer.saver_path(NAME), "rb") as f:
                self.assertTrue(f.read() == expected, "installed saver differs from the payload")
            installer.saver_shows_pictures(self, NAME, "slide")
        finally:
            installer.remove_saver(NAME)


if __name__ == "__main__":
    INSTALLER, DRIVER = sys.argv[1], sys.argv[2]
    sys.path.insert(0, sys.argv[3])
    import setup_e2e as installer

    if not installer.wine32_runs():
        print("skipped: 32-bit Wine (wine32:i386) cannot run here; the page packs the i686 "
              "programs")
        sys.exit(77)
    if not os.path.exists(INSTALLER):
        print("skipped: no installer from the page at %s (browser.page makes it)" % INSTALLER)
        sys.exit(77)
    installer.DRIVER = DRIVER
    wow = os.path.join(installer.PREFIX, "drive_c", "windows", "syswow64")
    if os.path.isdir(wow):
        installer.SYSTEM_DIR = wow
    program = unittest.main(argv=[sys.argv[0], "-v"], exit=False)
    sys.exit(0 if program.result.wasSuccessful() else 1)
