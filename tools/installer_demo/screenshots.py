#!/usr/bin/env python3
"""Saves a PNG of each of the installer's four pages in English and in Simplified Chinese.

Usage: screenshots.py BUILD_DIR [OUTPUT_DIR] [--display :N]
Clicks through the wizard of BUILD_DIR/bin/installer.exe under Wine (on a private Xvfb
unless --display is given) once with LC_ALL=C.UTF-8 and once with LC_ALL=zh_CN.UTF-8, which
makes Wine report the Chinese (PRC) interface language, and writes installer-en-page0-default.png
... installer-zh-page3-finished.png. The README shows the ones in docs/:
    python3 tools/installer_demo/screenshots.py build docs
"""

import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import install_demo  # noqa: E402
import xsession  # noqa: E402

LANGUAGES = {"en": "C.UTF-8", "zh": "zh_CN.UTF-8"}


def shoot_all(build_dir, output, display):
    shots = []
    for name, lang in LANGUAGES.items():
        shots += install_demo.walk(build_dir, output, display, lang=lang,
                                   prefix=f"installer-{name}-", browser_shot=False)
    return shots


if __name__ == "__main__":
    sys.exit(xsession.run_script("screenshots", shoot_all))
