#!/usr/bin/env python3
"""Saves a PNG of each of the installer's four pages in English and in Simplified Chinese.

Usage: screenshots.py BUILD_DIR [OUTPUT_DIR] [--display :N]
Clicks through the wizard of BUILD_DIR/bin/installer.exe under Wine (on a private Xvfb
unless --display is given) once with LC_ALL=C.UTF-8 and once with LC_ALL=zh_CN.UTF-8, which
makes Wine report the Chinese (PRC) interface language, and writes installer-en-page0-default.png
... installer-zh-page3-finished.png; then, in English, presses Tab and Shift+Tab, which
brings the focus back to Install and shows the keyboard focus cue around it, and writes
installer-en-focus.png. Last, on a 2560 x 1600 display at 150 % (144 DPI), the default and
custom pages in both languages: installer-en-150-page0-default.png ...
installer-zh-150-page1-custom.png. The README shows the ones in docs/:
    python3 tools/installer_demo/screenshots.py build docs
"""

import pathlib
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import install_demo  # noqa: E402
import xsession  # noqa: E402

LANGUAGES = {"en": "C.UTF-8", "zh": "zh_CN.UTF-8"}
# Keys pressed before the focus-cue picture: the focus leaves Install and comes back.
FOCUS_KEYS = ["Tab", "shift+Tab"]


def shoot_focus_cue(build_dir, output, display):
    installer = xsession.start_installer(build_dir, display, lang=LANGUAGES["en"])
    path = output / "installer-en-focus.png"
    try:
        window = display.wait_window()
        time.sleep(0.5)  # the first paint follows the map
        subprocess.run(["xdotool", "windowfocus", "--sync", str(window)], check=True,
                       env=display.env())
        for key in FOCUS_KEYS:
            subprocess.run(["xdotool", "key", key], check=True, env=display.env())
        time.sleep(0.4)  # the paint that shows the cue
        display.capture(window, path)
        print(f"saved {path}")
        display.click(window, *xsession.CLOSE_BUTTON)
        installer.wait(timeout=20)
    finally:
        if installer.poll() is None:
            installer.kill()
            installer.wait()
    return path


def shoot_scaled(build_dir, output, display, name, dpi):
    """The default and custom pages at |dpi|, in the language |name|."""
    scale = dpi / 96
    installer = xsession.start_installer(build_dir, display, lang=LANGUAGES[name])
    shots = []
    try:
        window = display.wait_window()
        for page, file_name in ((0, "page0-default.png"), (1, "page1-custom.png")):
            if page == 1:
                toggle = [round(v * scale) for v in install_demo.TOGGLE]
                display.click(window, *toggle)
                if not xsession.wait_until(lambda: install_demo.window_height(
                        display, window) == round(740 * scale), timeout=10):
                    raise RuntimeError("the custom page did not open")
            time.sleep(0.5)  # the paint that follows the change
            path = output / f"installer-{name}-{round(scale * 100)}-{file_name}"
            display.capture(window, path)
            shots.append(path)
            print(f"saved {path}")
        close = [round(v * scale) for v in xsession.CLOSE_BUTTON]
        display.click(window, *close)
        installer.wait(timeout=20)
    finally:
        if installer.poll() is None:
            installer.kill()
            installer.wait()
    return shots


def shoot_all(build_dir, output, display):
    shots = []
    for name, lang in LANGUAGES.items():
        shots += install_demo.walk(build_dir, output, display, lang=lang,
                                   prefix=f"installer-{name}-", browser_shot=False)
    shots.append(shoot_focus_cue(build_dir, output, display))
    # The prefix's programs stay on the display its desktop started on: a new one for the
    # larger display.
    xsession.stop_wine(build_dir)
    large = xsession.Display(screen="2560x1600x24")
    try:
        xsession.set_display_scale(build_dir, large, 144)
        for name in LANGUAGES:
            shots += shoot_scaled(build_dir, output, large, name, 144)
    finally:
        xsession.set_display_scale(build_dir, large, 96)
        xsession.stop_wine(build_dir)
        large.close()
    return shots


if __name__ == "__main__":
    sys.exit(xsession.run_script("screenshots", shoot_all))
