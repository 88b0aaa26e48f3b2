"""The wizard at every display scale: unchanged to the pixel at 96 DPI, scaled with native
art and text at 120, 144 and 192 DPI.

Wine takes the display scale from HKCU\\Control Panel\\Desktop LogPixels, so each run sets it
in the prefix, and starts the prefix's Wine anew, before starting the installer.
"""

import functools
import hashlib
import json
import os
import pathlib
import subprocess
import sys

import pytest

from conftest import (BUILD_DIR, SOURCE_DIR, WORKER_SUFFIX, run_wine, start_xvfb, wait_until,
                      wine_path)
from installer_support import (CLOSE, INSTALL, TOGGLE, InstallerRun, Probe,  # noqa: F401
                               gui_env, installer_prefix, probe, start_installer)
from keyboard_support import accessible_tree
from picture_files import read_picture

sys.path.insert(0, str(SOURCE_DIR / "tools" / "art"))
import residual  # noqa: E402

LOCALES = {"en": "C.UTF-8", "zh": "zh_CN.UTF-8"}
# Digests of the window's pixels on each page at 96 DPI, taken by this test from the build
# before the wizard learned to scale; a failure prints what the window shows now.
REFERENCE = pathlib.Path(__file__).with_name("pages_96dpi.json")
KEY_COLOUR = bytes((115, 147, 222))
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


HIDPI_PREFIX = BUILD_DIR / f"wineprefix-installer-hidpi{WORKER_SUFFIX}"
# Large enough for the custom page at 200 % (2000 x 1480).
HIDPI_SCREEN = (2560, 1600)


@pytest.fixture(scope="module")
def hidpi_env():
    """A display large enough for every scale, with a prefix of its own: Wine binds a
    prefix's programs to the display its desktop started on, and the tests' shared display
    is 1280 x 1024."""
    server, display = start_xvfb(f"{HIDPI_SCREEN[0]}x{HIDPI_SCREEN[1]}x24")
    env = {"WINEPREFIX_OVERRIDE": str(HIDPI_PREFIX), "DISPLAY": display}
    yield env
    stop_wine(env)
    server.terminate()
    server.wait(timeout=10)


def stop_wine(env):
    """Ends every program of the prefix of |env| and its wineserver."""
    prefix_env = dict(os.environ, WINEPREFIX=env["WINEPREFIX_OVERRIDE"])
    subprocess.run(["wineserver", "-k"], env=prefix_env, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], env=prefix_env, stderr=subprocess.DEVNULL)


def set_display_scale(env, dpi):
    """The scale every program started afterwards in the prefix reads. Wine 8 reads LogPixels
    anew for each program, for the system and the monitor alike; Wine 10 gives each program
    the current value as the system's scale (GetDpiForSystem) only, and the monitor, whose
    scale the wizard takes, the value read when the prefix's wineserver started: so the
    server is ended here, and the next program starts one that reads |dpi|."""
    run_wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t",
             "REG_DWORD", "/d", str(dpi), "/f", env=env)
    stop_wine(env)


def ink_rows(display, xid, area):
    """The rows of |area| (left, top, right, bottom) holding white text pixels."""
    width, _, shot = window_rgb(display, xid)
    left, top, right, bottom = area
    rows = []
    for y in range(top, bottom):
        line = shot[(y * width + left) * 3:(y * width + right) * 3]
        if any(line[i] > 200 and line[i + 1] > 200 and line[i + 2] > 200
               for i in range(0, len(line), 3)):
            rows.append(y)
    return rows


# The id offset of the picture set drawn for each display scale.
SET_OFFSETS = {120: 1000, 144: 2000, 192: 3000}
# Rows of the default page that only the picture covers, at 96 DPI, and the margin that
# keeps clear of the window's border.
CALM_ROWS = (60, 390)
BORDER_MARGIN = 10


@functools.lru_cache(maxsize=None)
def composed_default_page(dpi):
    """Rows of the default page's picture as the installer must show it at |dpi|: the
    100 % picture enlarged plus the difference stored for the set drawn for |dpi|."""
    art = BUILD_DIR / "art"
    base = read_picture(art / "102.png")
    stored = read_picture(art / f"{102 + SET_OFFSETS[dpi]}.png")
    predicted = residual.enlarge(base.rows, base.width, base.height, stored.width,
                                 stored.height)
    return residual.compose(predicted, stored.rows)


def picture_mismatches(display, xid, dpi):
    """Pixels in the calm rows of the default page that differ from the composed set."""
    scale = dpi / 96
    width, _, shot = window_rgb(display, xid)
    expected = composed_default_page(dpi)
    left, right = round(BORDER_MARGIN * scale) * 3, round((1000 - BORDER_MARGIN) * scale) * 3
    wrong = 0
    for y in range(*(round(v * scale) for v in CALM_ROWS)):
        shown = shot[y * width * 3 + left:y * width * 3 + right]
        want = expected[y][left:right]
        if shown != want:
            wrong += sum(1 for x in range(0, len(want), 3) if shown[x:x + 3] != want[x:x + 3])
    return wrong


def shows_key_colour(display, xid):
    _, _, shot = window_rgb(display, xid)
    at = shot.find(KEY_COLOUR)
    while at != -1 and at % 3:
        at = shot.find(KEY_COLOUR, at + 1)
    return at != -1


@pytest.mark.parametrize("dpi", [120, 144, 192])
@pytest.mark.parametrize("lang", LOCALES)
def test_scaled_window_main_button_text_and_pages(dpi, lang, hidpi_env, tmp_path):
    scale = dpi / 96
    set_display_scale(hidpi_env, dpi)
    env = dict(hidpi_env, LC_ALL=LOCALES[lang], ORBAVINTEL_STANDIN_NO_INSTALL="1",
               ORBAVINTEL_STANDIN_WAIT_FOR=wine_path(tmp_path / "release"),
               ORBAVINTEL_STANDIN_BROWSER_SECONDS="0")
    installer = InstallerRun(env)
    probe = Probe(hidpi_env)
    try:
        window = probe.find_visible()
        width, height = round(1000 * scale), round(600 * scale)
        assert window["client"] == f"{width},{height}"
        left, top = map(int, window["rect"].split(",")[:2])
        # Centred, and moved up only as far as the custom page needs to fit below.
        assert (left, top) == ((HIDPI_SCREEN[0] - width) // 2,
                               min((HIDPI_SCREEN[1] - height) // 2,
                                   HIDPI_SCREEN[1] - round(740 * scale)))
        tree = accessible_tree(hidpi_env, window["window"])
        install = tree["children"][0]
        assert install["location"] == [left + round(350 * scale), top + round(400 * scale),
                                       round(300 * scale), round(72 * scale)]
        display = hidpi_env["DISPLAY"]
        assert wait_until(lambda: x_window(display), timeout=10)
        xid = x_window(display)
        # The title is text drawn at the scaled height, not a stretched 96-DPI picture of it.
        assert wait_until(lambda: ink_rows(display, xid, (0, 0, round(300 * scale),
                                                          round(60 * scale))), timeout=5)
        rows = ink_rows(display, xid, (0, 0, round(300 * scale), round(60 * scale)))
        # The picture is the set drawn for this scale, composed bit for bit as the art
        # generator stored it, not the 100 % picture stretched.
        assert picture_mismatches(display, xid, dpi) == 0
        # So is the main button's text, inside its white frame (17 rows at 96 DPI).
        inside = [round(v * scale) for v in (356, 406, 644, 466)]
        button_rows = ink_rows(display, xid, inside)
        assert button_rows[-1] - button_rows[0] + 1 >= round(16 * scale)
        seen = set()
        for page in walk_pages(installer, probe, tmp_path, scale):
            seen.add(page)
            # The glyphs drawn for this scale keep their key colour off the screen too.
            assert wait_until(lambda: not shows_key_colour(display, xid), timeout=5), page
        assert seen == {0, 1, 2, 3}
        assert rows[-1] - rows[0] + 1 >= round(14 * scale)
    finally:
        installer.stop()
        set_display_scale(hidpi_env, 96)


SCREENS_PREFIX = BUILD_DIR / f"wineprefix-installer-screens{WORKER_SUFFIX}"


def pixels(value, dpi):
    """|value| at 96 DPI in pixels at |dpi|, rounded as the installer rounds (halves up)."""
    return (value * dpi + 48) // 96


def inside(window, screen):
    left, top, right, bottom = map(int, window["rect"].split(","))
    return 0 <= left and 0 <= top and right <= screen[0] and bottom <= screen[1]


# Screens on which the custom page would leave the screen where the default page is centred,
# and screens smaller than the wizard at 100 %: (width, height), LogPixels, the DPI the
# wizard takes (the largest at which the 1000 x 740 custom page fits).
@pytest.mark.parametrize("screen, log_pixels, dpi", [((1920, 1080), 144, 140),
                                                      ((800, 600), 96, 76),
                                                      ((1024, 600), 96, 77)])
def test_every_page_lies_on_the_screen(screen, log_pixels, dpi, tmp_path):
    server, display = start_xvfb(f"{screen[0]}x{screen[1]}x24")
    env = {"WINEPREFIX_OVERRIDE": str(SCREENS_PREFIX), "DISPLAY": display}
    installer = None
    try:
        set_display_scale(env, log_pixels)
        installer = InstallerRun(dict(env, ORBAVINTEL_STANDIN_NO_INSTALL="1",
                                      ORBAVINTEL_STANDIN_WAIT_FOR=wine_path(tmp_path / "r"),
                                      ORBAVINTEL_STANDIN_BROWSER_SECONDS="0"))
        probe = Probe(env)
        window = probe.find_visible()
        assert window["client"] == f"{pixels(1000, dpi)},{pixels(600, dpi)}"
        assert inside(window, screen), window
        probe.click(tuple(pixels(v, dpi) for v in TOGGLE))
        assert wait_until(lambda: probe.find()["client"] ==
                          f"{pixels(1000, dpi)},{pixels(740, dpi)}")
        custom = probe.find()
        assert inside(custom, screen), custom
    finally:
        if installer:
            installer.stop()
        # Also ends the prefix's desktop, which is bound to this display: the next screen
        # starts a new one.
        set_display_scale(env, 96)
        server.terminate()
        server.wait(timeout=10)
