#!/usr/bin/env python3
"""Saves a PNG of the installer's first page in English and in Simplified Chinese, and one
of the first page with the keyboard focus cue.

Usage: screenshots.py BUILD_DIR [OUTPUT_DIR] [--display :N]
Runs BUILD_DIR/bin/installer.exe under Wine (on a private Xvfb unless --display is given)
once with LC_ALL=C.UTF-8 and once with LC_ALL=zh_CN.UTF-8, which makes Wine report the
Chinese (PRC) interface language, and writes installer-en.png and installer-zh.png; then
once more in English, presses Tab and Shift+Tab, which brings the focus back to Install and
shows the cue around it, and writes installer-en-focus.png.
"""

import pathlib
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import xsession  # noqa: E402

LANGUAGES = {"en": "C.UTF-8", "zh": "zh_CN.UTF-8"}
# Keys pressed before the focus-cue picture: the cue leaves Install and comes back.
FOCUS_KEYS = ["Tab", "shift+Tab"]


def shoot(build_dir, display, lang, path, keys=()):
    installer = xsession.start_installer(build_dir, display, lang=lang)
    try:
        window = display.wait_window()
        time.sleep(0.5)  # the first paint follows the map
        if keys:
            subprocess.run(["xdotool", "windowfocus", "--sync", str(window)], check=True,
                           env=display.env())
            for key in keys:
                subprocess.run(["xdotool", "key", key], check=True, env=display.env())
            time.sleep(0.4)  # the paint that shows the cue
        display.capture(window, path)
        display.click(window, *xsession.CLOSE_BUTTON)
        installer.wait(timeout=20)
    finally:
        if installer.poll() is None:
            installer.kill()
            installer.wait()


def shoot_all(build_dir, output, display):
    for name, lang in LANGUAGES.items():
        path = output / f"installer-{name}.png"
        shoot(build_dir, display, lang, path)
        print(path)
    path = output / "installer-en-focus.png"
    shoot(build_dir, display, LANGUAGES["en"], path, keys=FOCUS_KEYS)
    print(path)


if __name__ == "__main__":
    sys.exit(xsession.run_script("screenshots", shoot_all))
