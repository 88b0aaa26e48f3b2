"""Drives the real installer under Wine and Xvfb for the process tests.

The window_probe aid (built beside the installer) runs inside Wine and finds, inspects and
clicks the installer window and its message boxes; registry values are read with Wine's reg.
"""

import contextlib
import pathlib
import subprocess

import pytest

from conftest import BIN_DIR, BUILD_DIR, exe, finish, run_wine, start_wine, wait_until

WINDOW_CLASS = "OrbavintelInstallerWndClass"
XWM_SETUP_DONE = 0x400 + 101
CLIENT_STATE_KEY = (r"HKCU\Software\Orbavintel\Update\ClientState"
                    r"\{6F0A2C1E-7B3D-4E59-9A84-2C5D71E0B3A6}")
INSTALL_PATH_KEY = r"HKCU\Software\Orbavintel\Chrome"

# Client points of the wizard's widgets (centres), from the page layout.
CLOSE = (964, 36)
INSTALL = (500, 436)
ACTION_ON_600 = (500, 530)  # the action button centred in the 140-pixel band
CHECK_BOX = (36, 564)
AGREE_TEXT = (132, 564)
LICENSE_LINK = (252, 564)
EXPAND = (844, 564)
TOGGLE = (920, 564)
BROWSE = (895, 670)


class Probe:
    """window_probe commands against the installer window (and any message box)."""

    def __init__(self, env):
        self.program = exe("window_probe.exe")
        self.env = env

    def run(self, *args, timeout=30):
        return run_wine(self.program, *[str(a) for a in args], env=self.env, timeout=timeout)

    def find(self, timeout_ms=10000):
        """The window's properties as a dict, or None when it did not appear in time."""
        result = self.run("find", WINDOW_CLASS, timeout_ms)
        if result.returncode != 0:
            return None
        return dict(line.split("=", 1) for line in result.stdout.splitlines() if "=" in line)

    def find_visible(self, timeout=10.0):
        """The window's properties once it is shown (start-up shows it after creating it)."""
        found = {}

        def shown():
            window = self.find()
            found.update(window or {})
            return window is not None and window["visible"] == "1"

        return found if wait_until(shown, timeout=timeout) else None

    def gone(self, timeout_ms=10000):
        return self.run("gone", WINDOW_CLASS, timeout_ms).returncode == 0

    def click(self, point):
        assert self.run("click", WINDOW_CLASS, *point).returncode == 0

    def move(self, point):
        assert self.run("move", WINDOW_CLASS, *point).returncode == 0

    def post(self, message, wparam):
        assert self.run("post", WINDOW_CLASS, message, wparam).returncode == 0

    def edit(self, text):
        assert self.run("edit", WINDOW_CLASS, text).returncode == 0

    def dialog(self, timeout_ms=10000):
        """The message box on screen as a dict (caption, text, icon, owner), or None."""
        result = self.run("dialog", timeout_ms)
        if result.returncode != 0:
            return None
        return dict(line.split("=", 1) for line in result.stdout.splitlines() if "=" in line)

    def dismiss(self, timeout_ms=10000):
        assert self.run("dismiss", timeout_ms).returncode == 0

    def temp_dir(self):
        """The Linux path of the prefix's temporary folder."""
        text = self.run("tempdir").stdout.strip().split("=", 1)[1]
        return windows_to_linux(text)


def windows_to_linux(path):
    drive, rest = path[0].lower(), path[2:].replace("\\", "/").strip("/")
    if drive == "z":
        return pathlib.Path("/" + rest)
    return BUILD_DIR / "wineprefix" / f"drive_{drive}" / rest


def reg_query(key, value):
    """The data of a registry value as reg.exe prints it, or None when it is missing."""
    result = run_wine("reg", "query", key, "/v", value)
    for line in result.stdout.splitlines():
        parts = line.split(None, 2)
        if len(parts) >= 2 and parts[0] == value:
            return parts[2] if len(parts) == 3 else ""
    return None


def reg_delete_key(key):
    run_wine("reg", "delete", key, "/f")


def reg_set(key, value, data):
    run_wine("reg", "add", key, "/v", value, "/d", data, "/f")


class InstallerRun:
    """One started installer; `result` holds its WineRun once it has ended."""

    def __init__(self, env, *args):
        self.process = start_wine(exe("installer.exe"), *args, env=env)
        self.probe = Probe(env)
        self.result = None

    def wait(self, timeout=60):
        if self.result is None:
            self.result = finish(self.process, timeout=timeout)
        return self.result

    def running(self):
        return self.process.poll() is None

    def stop(self):
        """Ends the installer however it stands: boxes dismissed, window closed, or killed."""
        if self.result is not None:
            return self.result
        while self.running() and self.probe.dialog(timeout_ms=0):
            self.probe.dismiss()
        if self.running() and self.probe.find(timeout_ms=0):
            self.probe.post(0x0010, 0)  # WM_CLOSE
            try:
                return self.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        if self.running():
            self.process.kill()
        return self.wait()


@pytest.fixture
def gui_env(xvfb_display):
    return {"DISPLAY": xvfb_display, "LC_ALL": "C.UTF-8"}


@pytest.fixture
def start_installer(gui_env):
    """Starts installers on the test's display and stops whatever is left at the end."""
    runs = []

    def start(*args, env=None):
        merged = dict(gui_env)
        if env:
            merged.update(env)
        run = InstallerRun(merged, *args)
        runs.append(run)
        return run

    yield start
    for run in runs:
        with contextlib.suppress(Exception):
            run.stop()


@pytest.fixture
def probe(gui_env):
    return Probe(gui_env)
