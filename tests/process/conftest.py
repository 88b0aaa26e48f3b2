"""Fixtures for process-level tests: the real programs under Wine, in the build's prefix."""

import os
import pathlib
import re
import shutil
import subprocess
import sys
import time

import pytest

SOURCE_DIR = pathlib.Path(
    os.environ.get("ORBAVINTEL_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
# Absolute: Wine refuses a relative prefix, which a relative build folder would give.
BUILD_DIR = pathlib.Path(os.environ.get("ORBAVINTEL_BUILD_DIR", SOURCE_DIR / "build")).resolve()
BIN_DIR = BUILD_DIR / "bin"
WINE_RUN = SOURCE_DIR / "cmake" / "wine-run"

# In a parallel run (pytest-xdist) each worker has Wine prefixes of its own, so that the
# programs, registry and files of one worker never meet another's; its main prefix is the one
# cmake/wine-run uses for it.
WORKER_SUFFIX = ("-" + os.environ["PYTEST_XDIST_WORKER"]
                 if os.environ.get("PYTEST_XDIST_WORKER") else "")
if WORKER_SUFFIX:
    os.environ["WINEPREFIX_OVERRIDE"] = str(BUILD_DIR / f"wineprefix{WORKER_SUFFIX}")

sys.path.insert(0, str(SOURCE_DIR / "tools" / "installer_demo"))
from xsession import start_xvfb  # noqa: E402

_DEBUG_LINE = re.compile(r'^[0-9a-f]+:warn:debugstr:OutputDebugStringA "(.*)"$')


def decode_debug_text(escaped):
    """Undoes Wine's escaping of OutputDebugStringA text (\\n, \\t, \\", octal \\ooo)."""
    out = bytearray()
    i = 0
    while i < len(escaped):
        c = escaped[i]
        if c != "\\" or i + 1 == len(escaped):
            out += c.encode("utf-8")
            i += 1
            continue
        n = escaped[i + 1]
        simple = {"n": b"\n", "r": b"\r", "t": b"\t", "\\": b"\\", '"': b'"'}
        if n in simple:
            out += simple[n]
            i += 2
        elif n == "x" and re.match(r"[0-9a-fA-F]{2}", escaped[i + 2:i + 4]):
            out.append(int(escaped[i + 2:i + 4], 16))
            i += 4
        elif re.match(r"[0-7]{3}", escaped[i + 1:i + 4]):
            out.append(int(escaped[i + 1:i + 4], 8))
            i += 4
        else:
            out += n.encode("utf-8")
            i += 2
    return out.decode("utf-8", errors="replace")


def debug_lines(stderr):
    """The texts a program wrote with OutputDebugStringA, in order, decoded."""
    lines = []
    for raw in stderr.splitlines():
        match = _DEBUG_LINE.match(raw.strip())
        if match:
            lines.append(decode_debug_text(match.group(1)))
    return lines


def wine_env(extra=None):
    env = dict(os.environ)
    env["WINE_BUILD_DIR"] = str(BUILD_DIR)
    env["WINEDEBUG"] = "-all,+debugstr"
    if extra:
        env.update(extra)
    return env


def exe(name):
    path = BIN_DIR / name
    if not path.exists():
        pytest.skip(f"{name} is not built")
    return str(path)


class WineRun:
    """A finished program: exit code, output and the debug lines it wrote."""

    def __init__(self, completed):
        self.returncode = completed.returncode
        self.stdout = completed.stdout
        self.stderr = completed.stderr
        self.debug = debug_lines(completed.stderr)

    def __str__(self):
        # For assertion messages: a run that printed nothing is told by its code and errors.
        return (f"exit code {self.returncode}; output {self.stdout!r}; "
                f"errors ending {self.stderr[-2000:]!r}")


def run_wine(program, *args, timeout=60, env=None, cwd=None):
    """Runs a Windows program to its end and returns a WineRun."""
    completed = subprocess.run([str(WINE_RUN), program, *args], capture_output=True,
                               text=True, errors="replace", timeout=timeout,
                               env=wine_env(env), cwd=cwd, stdin=subprocess.DEVNULL)
    return WineRun(completed)


def start_wine(program, *args, env=None, cwd=None):
    """Starts a Windows program and returns its Popen (text mode, stdout and stderr piped)."""
    return subprocess.Popen([str(WINE_RUN), program, *args], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True, errors="replace",
                            env=wine_env(env), cwd=cwd, stdin=subprocess.DEVNULL)


def finish(process, timeout=60):
    """Waits for a started program and returns a WineRun of it."""
    stdout, stderr = process.communicate(timeout=timeout)
    return WineRun(subprocess.CompletedProcess(process.args, process.returncode, stdout, stderr))


def wine_path(path):
    """The Windows path of a Linux path, through Wine's Z: drive."""
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")


_PREFIX_FOLDERS = {}


def prefix_folder(variable, env=None):
    """(Windows path, Linux path) of a folder as the prefix gives it to its programs, for
    example "TEMP": asked of the prefix rather than assumed, since Wine versions differ (Wine
    8 puts %TEMP% at C:\\users\\<user>\\Temp, Wine 10 at C:\\users\\<user>\\AppData\\Local\\Temp
    as Windows does)."""
    key = (variable, (env or {}).get("WINEPREFIX_OVERRIDE"))
    if key not in _PREFIX_FOLDERS:
        windows = run_wine("cmd", "/c", "echo", f"%{variable}%", env=env).stdout.strip()
        assert windows and "%" not in windows, f"the prefix has no %{variable}%"
        linux = run_wine("winepath", "-u", windows, env=env).stdout.strip()
        _PREFIX_FOLDERS[key] = (windows.rstrip("\\"), pathlib.Path(linux))
    return _PREFIX_FOLDERS[key]


def wait_until(predicate, timeout=10.0, interval=0.05):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(interval)
    return predicate()


@pytest.fixture(scope="session", autouse=True)
def worker_wineserver():
    """A worker's own prefix is made before its first test, whose time limits are not meant
    for making a prefix, and keeps a wineserver up between programs; it ends with the worker
    (the build's own one is ended by the test command)."""
    if WORKER_SUFFIX:
        run_wine("cmd", "/c", "exit", timeout=600)
    yield
    if WORKER_SUFFIX:
        env = dict(os.environ, WINEPREFIX=os.environ["WINEPREFIX_OVERRIDE"])
        subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, stderr=subprocess.DEVNULL)


@pytest.fixture(scope="session")
def xvfb_display():
    """An X display for programs whose windows must be real (screenshots, input)."""
    if not shutil.which("Xvfb"):
        pytest.skip("Xvfb is not installed")
    server, display = start_xvfb()
    yield display
    server.terminate()
    server.wait(timeout=10)
