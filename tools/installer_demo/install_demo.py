#!/usr/bin/env python3
"""Installs the browser with the real installer under Xvfb, clicking through the wizard.

Usage: install_demo.py BUILD_DIR [OUTPUT_DIR] [--display :N]
Starts BUILD_DIR/bin/installer.exe (whose payload is the development stand-in mini installer
unless the build embeds another), shows the custom page and returns, presses Install, waits
for the finished page, presses Launch and checks that the stand-in browser runs. Saves a
screenshot of every page it passes (page0-default.png ... page3-finished.png, browser.png)
in OUTPUT_DIR (default BUILD_DIR/install-demo) and ends the browser. Exit code 0 on success.
"""

import pathlib
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import xsession  # noqa: E402

TOGGLE = (920, 564)
COLLAPSE = (844, 564)
INSTALL = (500, 436)
ACTION = (500, 530)
BROWSER_TITLE = "Orbavintel stand-in browser"


def windows_path(path):
    return "Z:" + str(path.resolve()).replace("/", "\\")


def record_values(record, key):
    if not record.exists():
        return []
    return [line.split("=", 1)[1] for line in record.read_text(encoding="utf-8").splitlines()
            if line.startswith(key + "=")]


def window_height(display, window_id):
    info = subprocess.run(["xdotool", "getwindowgeometry", str(window_id)],
                          capture_output=True, text=True, env=display.env()).stdout
    for line in info.splitlines():
        if line.strip().startswith("Geometry:"):
            return int(line.split("x")[-1])
    return None


def run(build_dir, output, display):
    return walk(build_dir, output, display)


def walk(build_dir, output, display, lang="C.UTF-8", prefix="", browser_shot=True):
    """Clicks through every page in |lang|, saving |prefix|page0-default.png and so on."""
    record = output / "stand-in-record.txt"
    record.unlink(missing_ok=True)
    env = {"ORBAVINTEL_STANDIN_RECORD": windows_path(record),
           # Long enough to see the installing page.
           "ORBAVINTEL_STANDIN_DELAY_MS": "3000"}
    installer = xsession.start_installer(build_dir, display, lang=lang, env=env)
    shots = []

    def shot(name, window_id):
        time.sleep(0.4)  # let the paint that follows the change land
        path = output / (name if name == "browser.png" else prefix + name)
        display.capture(window_id, path)
        shots.append(path)
        print(f"saved {path}")

    try:
        window = display.wait_window()
        shot("page0-default.png", window)
        display.click(window, *TOGGLE)
        if not xsession.wait_until(lambda: window_height(display, window) == 740, timeout=10):
            raise RuntimeError("the custom page did not open")
        shot("page1-custom.png", window)
        display.click(window, *COLLAPSE)
        if not xsession.wait_until(lambda: window_height(display, window) == 600, timeout=10):
            raise RuntimeError("the default page did not come back")
        display.click(window, *INSTALL)
        if not xsession.wait_until(lambda: record_values(record, "mini_cmdline"), timeout=20):
            raise RuntimeError("the mini installer did not start")
        shot("page2-installing.png", window)
        if not xsession.wait_until(lambda: record_values(record, "mini_result"), timeout=30):
            raise RuntimeError("the mini installer did not finish")
        time.sleep(0.5)  # the worker's last wait step and the done step
        shot("page3-finished.png", window)
        display.click(window, *ACTION)
        installer.wait(timeout=30)
        browser = display.wait_window(BROWSER_TITLE, timeout=20)
        if browser_shot:
            shot("browser.png", browser)
        print(f"installer exit code {installer.returncode}; "
              f"installed to {record_values(record, 'mini_install_path')[0]}; "
              f"browser running: {record_values(record, 'browser_path')[0]}")
        if installer.returncode != 0:
            raise RuntimeError(f"installer ended with {installer.returncode}")
        subprocess.run(["xdotool", "windowclose", str(browser)], env=display.env())
        record.unlink(missing_ok=True)
    finally:
        if installer.poll() is None:
            installer.kill()
            installer.wait()
    return shots


if __name__ == "__main__":
    sys.exit(xsession.run_script("install-demo", run))
