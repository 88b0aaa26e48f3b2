"""Real key presses and screen-reader reads against the installer window under Xvfb.

Keys go through the X server (xdotool), so Wine's focus and activation are part of what is
tested; the accessibility tree is read from another process with accessibility_probe.
"""

import json
import subprocess

from conftest import exe, run_wine, wait_until

WINDOW_TITLE = "Orbavintel Browser Installer"


class Keyboard:
    """Focuses the installer's X window and presses keys in it."""

    def __init__(self, env):
        self.env = {"DISPLAY": env["DISPLAY"]}

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], capture_output=True, text=True,
                              env=self.env, check=False)

    def window(self, timeout=10.0):
        found = []

        def visible():
            found[:] = self.xdotool("search", "--onlyvisible", "--name",
                                    f"^{WINDOW_TITLE}$").stdout.split()
            return found

        assert wait_until(visible, timeout=timeout)
        return found[0]

    def press(self, *keys):
        """Focuses the window (a message box may have taken the focus) and presses |keys|
        one after another, e.g. "Tab", "shift+Tab", "Return"."""
        window = self.window()
        self.xdotool("windowfocus", "--sync", window)
        for key in keys:
            assert self.xdotool("key", "--delay", "60", key).returncode == 0

    def type(self, text):
        assert self.xdotool("type", "--delay", "20", text).returncode == 0

    def screenshot(self):
        """The window's pixels: (width, height, bytes of RGB triples)."""
        ppm = subprocess.run(["import", "-window", self.window(), "-depth", "8",
                              "ppm:-"], capture_output=True,
                             env=self.env, check=True).stdout
        fields, offset = [], 0
        while len(fields) < 4:  # P6, width, height, maximum, each after white space
            while ppm[offset:offset + 1].isspace():
                offset += 1
            end = offset
            while not ppm[end:end + 1].isspace():
                end += 1
            fields.append(ppm[offset:end])
            offset = end
        return int(fields[1]), int(fields[2]), ppm[offset + 1:]


def pixel(shot, x, y):
    width, _, data = shot
    start = (y * width + x) * 3
    return tuple(data[start:start + 3])


def accessible_tree(env, window_handle):
    """The window's client object with its children, as accessibility_probe reads it."""
    result = run_wine(exe("accessibility_probe.exe"), "tree", window_handle, env=env)
    assert result.returncode == 0, result.stdout + result.stderr
    return json.loads(result.stdout)


def child_named(tree, name):
    matches = [child for child in tree["children"] if child["name"] == name]
    assert len(matches) == 1, [child["name"] for child in tree["children"]]
    return matches[0]
