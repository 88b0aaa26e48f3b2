"""The wizard at every display scale: unchanged to the pixel at 96 DPI, scaled with native
art and text at 120 and 144 DPI.

Wine reads the display scale from HKCU\\Control Panel\\Desktop LogPixels when a process
starts, so each run sets it in the prefix before starting the installer.
"""

import hashlib
import json
import pathlib
import subprocess

import pytest

from conftest import wait_until, wine_path
from installer_support import (CLOSE, INSTALL, TOGGLE, gui_env, installer_prefix,  # noqa: F401
                               probe, start_installer)

LOCALES = {"en": "C.UTF-8", "zh": "zh_CN.UTF-8"}
# Digests of the window's pixels on each page at 96 DPI, taken by this test from the build
# before the wizard learned to scale; a failure prints what the window shows now.
REFERENCE = pathlib.Path(__file__).with_name("pages_96dpi.json")
# Rows of the installing page's progress strip, which advances while it is captured.
STRIP_ROWS = (460, 466)


def x_window(display):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                            "^Orbavintel Browser Installer$"], capture_output=True, text=True,
                           env={"DISPLAY": display}).stdout.split()
    return found[0] if found else None


def window_rgb(display, xid):
    """The X window's pixels now: (width, height, RGB bytes)."""
    geometry = subprocess.run(["xdotool", "getwindowgeometry", xid], capture_output=True,
                              text=True, env={"DISPLAY": display}).stdout
    size = [line.split()[-1] for line in geometry.splitlines() if "Geometry:" in line][0]
    width, height = map(int, size.split("x"))
    shot = subprocess.run(["import", "-window", xid, "-depth", "8", "rgb:-"], check=True,
                          capture_output=True, env={"DISPLAY": display}).stdout
    return width, height, shot


def page_digest(display, xid, page, strip_rows=STRIP_ROWS):
    width, height, shot = window_rgb(display, xid)
    if page == 2:
        top, bottom = strip_rows
        shot = shot[:top * width * 3] + bytes((bottom - top) * width * 3) + shot[
            bottom * width * 3:]
    return f"{width}x{height}:" + hashlib.sha256(shot).hexdigest()


def walk_pages(installer, probe, tmp_path, scale=1.0):
    """Shows pages 0, 1, 0 again, 2 and 3 in turn, yielding each page number once the window
    has it; at |scale| the clicks land where the scaled widgets are."""
    def at(point):
        return tuple(round(v * scale) for v in point)

    def client(height):
        return f"{round(1000 * scale)},{round(height * scale)}"

    yield 0
    probe.click(at(TOGGLE))
    assert wait_until(lambda: probe.find()["client"] == client(740))
    yield 1
    probe.click(at(TOGGLE))
    assert wait_until(lambda: probe.find()["client"] == client(600))
    yield 0
    probe.click(at(INSTALL))
    assert installer.wait_for_debug("InstallerView::PerformOfflineInstall.\n")
    yield 2
    (tmp_path / "release").touch()
    assert installer.wait_for_debug("\nInstallerView::DoneSetup: ")
    yield 3


def start_held(start_installer, tmp_path, lang, extra=None):
    """An installer whose stand-in holds the installing page until tmp_path/release."""
    env = {"LC_ALL": LOCALES[lang], "ORBAVINTEL_STANDIN_NO_INSTALL": "1",
           "ORBAVINTEL_STANDIN_WAIT_FOR": wine_path(tmp_path / "release")}
    env.update(extra or {})
    return start_installer(env=env)


@pytest.mark.parametrize("lang", LOCALES)
def test_pages_at_96_dpi_are_unchanged_to_the_pixel(lang, start_installer, probe, gui_env,
                                                    tmp_path):
    reference = json.loads(REFERENCE.read_text())
    display = gui_env["DISPLAY"]
    # The pointer off the window, so no widget shows its hover look.
    subprocess.run(["xdotool", "mousemove", "0", "0"], env={"DISPLAY": display}, check=True)
    installer = start_held(start_installer, tmp_path, lang)
    probe.find_visible()
    assert wait_until(lambda: x_window(display), timeout=10)
    xid = x_window(display)
    shown = {}
    for step, page in enumerate(walk_pages(installer, probe, tmp_path)):
        key = f"{lang}-{step}-page{page}"
        # Paints land a moment after the page changes.
        wait_until(lambda: page_digest(display, xid, page) == reference.get(key), timeout=5,
                   interval=0.3)
        shown[key] = page_digest(display, xid, page)
    probe.click(CLOSE)
    assert installer.wait().returncode == 0
    assert shown == {key: reference.get(key) for key in shown}, json.dumps(shown, indent=1)
