"""The installer window as the toolkit builds it: borderless, centred, dragged by its
background, closed by its close button."""

import subprocess

from conftest import BUILD_DIR, wait_until, wine_path
from picture_files import read_picture
from installer_support import (CLOSE, INSTALL, TOGGLE, WINDOW_CLASS, gui_env,  # noqa: F401
                               installer_prefix, probe, start_installer)

KEY = (115, 147, 222)
# Top-left corners of the 32 x 32 images on each page (close, minimise, check box, arrow)
# and the picture under them.
GLYPHS = {0: [(948, 20), (896, 20), (20, 548), (828, 548)],
          1: [(948, 20), (896, 20), (20, 548), (828, 548)],
          2: [(948, 20), (896, 20)],
          3: [(948, 20), (896, 20)]}
PICTURES = {0: 102, 1: 102, 2: 103, 3: 104}


def x_window(display):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                            "^Orbavintel Browser Installer$"], capture_output=True, text=True,
                           env={"DISPLAY": display}).stdout.split()
    return found[0] if found else None


def window_pixels(display, xid, width):
    """The X window's pixels now, as a function (x, y) -> (r, g, b)."""
    shot = subprocess.run(["import", "-window", xid, "-depth", "8", "rgb:-"], check=True,
                          capture_output=True, env={"DISPLAY": display}).stdout
    return lambda x, y: tuple(shot[(y * width + x) * 3:(y * width + x) * 3 + 3])


WM_DPICHANGED = 0x02E0
# 144 DPI in both halves of wParam.
DPI_144 = 144 | 144 << 16


def test_borderless_window_centred_and_unharmed_by_dpi_messages_of_other_programs(
        start_installer, probe):
    installer = start_installer()
    window = probe.find_visible()
    assert window["client"] == "1000,600"
    left, top, right, bottom = map(int, window["rect"].split(","))
    assert (right - left, bottom - top) == (1000, 600)
    # Xvfb's screen is 1280 x 1024 without task bars.
    assert (left, top) == (140, 212)
    # No caption, frame or system menu is left in the style.
    assert int(window["style"]) & 0x00CF0000 == 0
    # Any program may post or send this message; lParam 8 is no rectangle of the installer's.
    # Posted, it is dropped; sent from another process, the scale is read from the window
    # (96 DPI here: Wine gives every monitor the system's scale).
    assert probe.run("post", WINDOW_CLASS, WM_DPICHANGED, DPI_144, 8).returncode == 0
    assert installer.wait_for_debug("Ignored a posted WM_DPICHANGED.\n", timeout=10)
    assert probe.run("send", WINDOW_CLASS, WM_DPICHANGED, DPI_144, 8).returncode == 0
    assert installer.wait_for_debug("Display scale changed to 96 DPI.\n", timeout=10)
    assert probe.find()["rect"] == window["rect"]
    # The custom page fits below where the default page is centred: the corner stays.
    probe.click(TOGGLE)
    assert wait_until(lambda: probe.find()["client"] == "1000,740")
    assert probe.find()["rect"] == f"{left},{top},{right},{top + 740}"
    probe.click(CLOSE)
    assert installer.wait().returncode == 0
    assert "Realloc double buffer on size changed.\n" in installer.result.debug


def test_dragging_the_background_moves_the_window_a_button_does_not(
        start_installer, probe, gui_env):
    start_installer()
    before = probe.find_visible()["rect"]

    assert wait_until(lambda: x_window(gui_env["DISPLAY"]), timeout=10)
    xid = x_window(gui_env["DISPLAY"])

    def drag(x, y):
        env = {"DISPLAY": gui_env["DISPLAY"]}
        subprocess.run(["xdotool", "mousemove", "--window", xid, str(x), str(y),
                        "mousedown", "1", "sleep", "0.2", "mousemove_relative", "--", "40",
                        "30", "sleep", "0.2", "mousemove_relative", "--", "40", "30",
                        "sleep", "0.2", "mouseup", "1"], check=True, env=env)

    # On the install button nothing moves.
    drag(500, 436)
    assert probe.find()["rect"] == before
    # On the bare picture the window follows the pointer.
    drag(500, 300)
    assert wait_until(lambda: probe.find()["rect"] != before, timeout=5)


def test_key_colour_never_reaches_the_screen(start_installer, probe, gui_env, tmp_path):
    """On every page each small image's corners, key colour in the art, show the picture
    under them."""
    release = tmp_path / "release"
    installer = start_installer(env={"ORBAVINTEL_STANDIN_NO_INSTALL": "1",
                                     "ORBAVINTEL_STANDIN_WAIT_FOR": wine_path(release)})
    probe.find_visible()
    display = gui_env["DISPLAY"]
    assert wait_until(lambda: x_window(display), timeout=10)
    xid = x_window(display)
    pictures = {i: read_picture(BUILD_DIR / "art" / f"{i}.png").pixel for i in (102, 103, 104)}

    def corners(page):
        screen = window_pixels(display, xid, 1000)
        picture = pictures[PICTURES[page]]
        return [(screen(x + dx, y + dy), picture(x + dx, y + dy))
                for x, y in GLYPHS[page] for dx in (0, 31) for dy in (0, 31)]

    def check(page):
        # Paints land a moment after the page changes.
        assert wait_until(lambda: all(shown == under for shown, under in corners(page)),
                          timeout=5, interval=0.2), page
        assert all(shown != KEY for shown, _ in corners(page)), page

    check(0)
    probe.click(TOGGLE)
    check(1)
    probe.click(TOGGLE)
    assert wait_until(lambda: probe.find()["client"] == "1000,600")
    probe.click(INSTALL)
    assert installer.wait_for_debug("InstallerView::PerformOfflineInstall.\n")
    check(2)
    release.touch()
    assert installer.wait_for_debug("\nInstallerView::DoneSetup: ")
    check(3)
    probe.click(CLOSE)
    assert installer.wait().returncode == 0
