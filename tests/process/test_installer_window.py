"""The installer window as the toolkit builds it: borderless, centred, dragged by its
background, closed by its close button."""

import subprocess

from conftest import wait_until
from installer_support import (CLOSE, gui_env, installer_prefix, probe,  # noqa: F401
                               start_installer)


def test_borderless_window_centred_on_the_work_area(start_installer, probe):
    installer = start_installer()
    window = probe.find_visible()
    assert window is not None
    assert window["client"] == "1000,600"
    left, top, right, bottom = map(int, window["rect"].split(","))
    assert (right - left, bottom - top) == (1000, 600)
    # Xvfb's screen is 1280 x 1024 without task bars.
    assert (left, top) == (140, 212)
    # No caption, frame or system menu is left in the style.
    assert int(window["style"]) & 0x00CF0000 == 0
    probe.click(CLOSE)
    assert installer.wait().returncode == 0
    assert "Realloc double buffer on size changed.\n" in installer.result.debug


def test_dragging_the_background_moves_the_window_a_button_does_not(
        start_installer, probe, gui_env):
    start_installer()
    before = probe.find_visible()["rect"]

    def x_window():
        return subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                               "^Orbavintel Browser Installer$"], capture_output=True,
                              text=True, env={"DISPLAY": gui_env["DISPLAY"]}).stdout.split()

    assert wait_until(x_window, timeout=10)
    xid = x_window()[0]

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
