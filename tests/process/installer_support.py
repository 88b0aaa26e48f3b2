"""Drives the real installer under Wine and Xvfb for the process tests.

The window_probe aid (built beside the installer) runs inside Wine and finds, inspects and
clicks the installer window and its message boxes; registry values are read with Wine's reg.

These tests use a Wine prefix of their own. Wine picks the display driver once per running
wineserver, when the prefix's desktop process starts: programs started later with another
DISPLAY setting (the unit and updater tests run without one) could not open windows, or
would open them where no X client sees them.
"""

import contextlib
import os
import pathlib
import shutil
import subprocess
import tempfile

import pytest

from conftest import (BUILD_DIR, WINE_RUN, WORKER_SUFFIX, WineRun, debug_lines, exe, run_wine,
                      wait_until, wine_env, wine_path)

INSTALLER_PREFIX = BUILD_DIR / f"wineprefix-installer{WORKER_SUFFIX}"
# The environment every Wine program of these tests gets; the display is added by gui_env.
PREFIX_ENV = {"WINEPREFIX_OVERRIDE": str(INSTALLER_PREFIX)}
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

    def find_visible(self, timeout=30.0):
        """The window's properties once start-up has shown it without a frame (it is created
        visible with a frame, then loses the frame and is shown again). Fails the test with
        what it last saw when that does not come; only a failure waits out the deadline."""
        last = {}

        def shown():
            window = self.find()
            last.clear()
            last.update(window or {})
            if window is None or window["visible"] != "1":
                return False
            # The frame is gone once the client area covers the whole window.
            left, top, right, bottom = map(int, window["rect"].split(","))
            return (int(window["style"]) & 0x00CF0000 == 0
                    and window["client"] == f"{right - left},{bottom - top}")

        assert wait_until(shown, timeout=timeout), (
            f"the wizard was not shown without a frame; last seen: {last or 'no window'}")
        return last

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
        found = {}
        for line in result.stdout.splitlines():
            if "=" in line:
                key, value = line.split("=", 1)
                # A dialog may hold several texts; they are kept in order, one per line.
                found[key] = found[key] + "\n" + value if key in found else value
        return found

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
    return INSTALLER_PREFIX / f"drive_{drive}" / rest


def reg_query(key, value):
    """The data of a registry value as reg.exe prints it, or None when it is missing."""
    result = run_wine("reg", "query", key, "/v", value, env=PREFIX_ENV)
    for line in result.stdout.splitlines():
        parts = line.split(None, 2)
        if len(parts) >= 2 and parts[0] == value:
            return parts[2] if len(parts) == 3 else ""
    return None


def reg_delete_key(key):
    run_wine("reg", "delete", key, "/f", env=PREFIX_ENV)


def reg_set(key, value, data, kind="REG_SZ"):
    run_wine("reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f", env=PREFIX_ENV)


class InstallerRun:
    """One started installer; `result` holds its WineRun once it has ended.

    Its output goes to files rather than pipes, so that the debug lines can be read while it
    runs (to act on a state only once the program has logged it) and programs it starts,
    which inherit the output, never hold up the end."""

    def __init__(self, env, *args, program="installer.exe", folder=None):
        self.folder = pathlib.Path(tempfile.mkdtemp(prefix="installer-run-", dir=folder))
        self.stdout_path = self.folder / "stdout.txt"
        self.stderr_path = self.folder / "stderr.txt"
        with open(self.stdout_path, "w") as out, open(self.stderr_path, "w") as err:
            self.process = subprocess.Popen(
                [str(WINE_RUN), exe(program), *args], stdout=out, stderr=err,
                stdin=subprocess.DEVNULL, env=wine_env(dict(env, WINE_RUN_STREAM="1")))
        self.probe = Probe(env)
        self.result = None

    def debug(self):
        """The debug lines written so far."""
        return debug_lines(self.stderr_path.read_text(encoding="utf-8", errors="replace"))

    def wait_for_debug(self, text, timeout=30.0):
        """Waits until the program's debug output holds |text|; False when not in time."""
        return wait_until(lambda: text in "".join(self.debug()), timeout=timeout, interval=0.1)

    def wait(self, timeout=60):
        if self.result is None:
            self.process.wait(timeout=timeout)
            stdout = self.stdout_path.read_text(encoding="utf-8", errors="replace")
            stderr = self.stderr_path.read_text(encoding="utf-8", errors="replace")
            self.result = WineRun(subprocess.CompletedProcess(
                self.process.args, self.process.returncode, stdout, stderr))
            shutil.rmtree(self.folder, ignore_errors=True)
        return self.result

    def running(self):
        return self.process.poll() is None

    def close_when_done(self, timeout=60.0):
        """Once the done step has shown the finished page, presses the close button once and
        waits for the program to end."""
        assert self.wait_for_debug("\nInstallerView::DoneSetup: ", timeout=timeout)
        self.probe.click(CLOSE)
        return self.wait()

    def stop(self):
        """Ends the installer however it stands: boxes dismissed, window closed, or killed;
        then the payload it started, when that still runs: it holds its file in the temporary
        folder, where the next install in this prefix writes its own."""
        while self.running() and self.probe.dialog(timeout_ms=0):
            self.probe.dismiss()
        if self.running() and self.probe.find(timeout_ms=0):
            # The window may go on its own meanwhile: a failed post is no error here.
            self.probe.run("post", WINDOW_CLASS, 0x0010, 0)  # WM_CLOSE
            with contextlib.suppress(subprocess.TimeoutExpired):
                self.wait(timeout=10)
        if self.running():
            self.process.kill()
        result = self.wait()
        log = "".join(result.debug)
        if "PerformOfflineInstall" in log and "mini installer quit." not in log:
            run_wine("taskkill", "/f", "/im", "orbavintel_install.exe", env=self.probe.env)
        return result


@pytest.fixture(scope="session")
def installer_prefix(xvfb_display):
    """The tests' own prefix, driving the test display; its server ends with the session."""
    PREFIX_ENV["DISPLAY"] = xvfb_display
    # Made now, with the display, before any test's time limit runs.
    run_wine("cmd", "/c", "exit", env=PREFIX_ENV, timeout=600)
    yield INSTALLER_PREFIX
    env = dict(os.environ, WINEPREFIX=str(INSTALLER_PREFIX))
    subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], env=env, stderr=subprocess.DEVNULL)


@pytest.fixture
def gui_env(installer_prefix, xvfb_display):
    return dict(PREFIX_ENV, DISPLAY=xvfb_display, LC_ALL="C.UTF-8")


@pytest.fixture
def start_installer(gui_env):
    """Starts installers on the test's display and stops whatever is left at the end."""
    runs = []

    def start(*args, env=None, program=None):
        merged = dict(gui_env)
        if env:
            merged.update(env)
        run = InstallerRun(merged, *args, program=program or "installer.exe")
        runs.append(run)
        return run

    yield start
    for run in runs:
        with contextlib.suppress(Exception):
            run.stop()


@pytest.fixture
def probe(gui_env):
    return Probe(gui_env)


@pytest.fixture
def record(tmp_path):
    """The stand-ins' record file and the environment that makes them write it."""
    path = tmp_path / "record.txt"

    class Record:
        env = {"ORBAVINTEL_STANDIN_RECORD": wine_path(path),
               "ORBAVINTEL_STANDIN_BROWSER_SECONDS": "0"}

        @staticmethod
        def values(key):
            if not path.exists():
                return []
            lines = path.read_text(encoding="utf-8").splitlines()
            return [line.split("=", 1)[1] for line in lines if line.startswith(key + "=")]

    return Record()
