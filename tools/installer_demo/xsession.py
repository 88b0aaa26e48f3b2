"""Runs the installer under an X display (Xvfb when none is given) and captures its window.

Shared by the screenshot and install-demo scripts. Standard library only; needs Xvfb,
xdotool and ImageMagick's import on the PATH.
"""

import argparse
import os
import pathlib
import select
import shutil
import subprocess
import sys
import tempfile
import time

SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]
WINE_RUN = SOURCE_DIR / "cmake" / "wine-run"
WINDOW_TITLE = "Orbavintel Browser Installer"
# Centre of the close button, in client coordinates of the 1000-pixel-wide window.
CLOSE_BUTTON = (964, 36)


def wait_until(predicate, timeout=20.0, interval=0.1):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = predicate()
        if result:
            return result
        time.sleep(interval)
    return predicate()


def start_xvfb(screen="1280x1024x24", timeout=20.0):
    """Starts a private Xvfb and returns (process, display name) once it accepts clients.

    Xvfb picks a free display itself and writes its number to -displayfd: a display whose
    socket file is missing here may still be held by another X server through the network
    namespace, so guessing one from /tmp can fail silently. Raises RuntimeError with Xvfb's
    own error output when it does not start.
    """
    if not shutil.which("Xvfb"):
        raise RuntimeError("Xvfb is not installed")
    errors = tempfile.TemporaryFile()
    read_end, write_end = os.pipe()
    try:
        server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=errors, pass_fds=(write_end,))
    except OSError:
        os.close(read_end)
        raise
    finally:
        os.close(write_end)
    number = b""
    deadline = time.monotonic() + timeout
    with os.fdopen(read_end, "rb", buffering=0) as pipe:
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([pipe], [], [], max(0.0, deadline - time.monotonic()))
            chunk = pipe.read(16) if ready else b""
            if not chunk:
                break
            number += chunk
    if not number.strip().isdigit():
        if server.poll() is None:
            server.kill()
        server.wait()
        errors.seek(0)
        raise RuntimeError("Xvfb did not start: " + errors.read().decode(errors="replace"))
    errors.close()
    return server, ":" + number.strip().decode()


class Display:
    """An X display: the given one, or a private Xvfb started here and ended on close."""

    def __init__(self, display=None, screen="1280x1024x24"):
        self.server = None
        if display:
            self.name = display
            return
        self.server, self.name = start_xvfb(screen)

    def env(self, extra=None):
        env = dict(os.environ)
        env["DISPLAY"] = self.name
        if extra:
            env.update(extra)
        return env

    def find_windows(self, name):
        """X ids of the visible windows whose title is exactly |name|."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                               capture_output=True, text=True, env=self.env())
        return [int(line) for line in found.stdout.split()]

    def wait_window(self, name=WINDOW_TITLE, timeout=60.0):
        ids = wait_until(lambda: self.find_windows(name), timeout=timeout)
        if not ids:
            raise RuntimeError(f"no window named {name!r} appeared")
        return ids[0]

    def click(self, window_id, x, y):
        """A left click at client point (x, y) of the window."""
        subprocess.run(["xdotool", "mousemove", "--window", str(window_id), str(x), str(y),
                        "click", "1"], check=True, env=self.env())

    def capture(self, window_id, path):
        subprocess.run(["import", "-window", str(window_id), str(path)], check=True,
                       env=self.env())

    def close(self):
        if self.server:
            self.server.terminate()
            self.server.wait(timeout=10)
            self.server = None


def x11_prefix(build_dir):
    """The Wine prefix these scripts use: their own, so that its desktop process surely
    drives X (Wine picks the display driver once per running server, and the tests' shared
    prefix may run under the null driver)."""
    return pathlib.Path(build_dir) / "wineprefix-installer"


def stop_wine(build_dir):
    """Ends the wineserver (and every program) of the scripts' prefix."""
    env = dict(os.environ, WINEPREFIX=str(x11_prefix(build_dir)))
    subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], env=env, stderr=subprocess.DEVNULL)


def set_display_scale(build_dir, display, dpi):
    """The display scale (LogPixels) programs started afterwards in the scripts' prefix
    read. Ends the prefix's Wine: Wine 10 gives the monitor the scale read when the server
    started. The next program binds the prefix's desktop to the display it is given."""
    env = display.env({"WINE_BUILD_DIR": str(build_dir),
                       "WINEPREFIX_OVERRIDE": str(x11_prefix(build_dir))})
    subprocess.run([str(WINE_RUN), "reg", "add", r"HKCU\Control Panel\Desktop", "/v",
                    "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"], env=env,
                   check=True, capture_output=True)
    stop_wine(build_dir)


def start_installer(build_dir, display, *args, lang=None, env=None, log=None):
    """Starts build_dir/bin/installer.exe under Wine on |display|; returns the Popen. Its
    debug output goes, as it is written, to the file |log| when given."""
    extra = {"WINE_BUILD_DIR": str(build_dir), "WINEDEBUG": "-all,+debugstr",
             "WINEPREFIX_OVERRIDE": str(x11_prefix(build_dir)), "WINE_RUN_STREAM": "1"}
    if lang:
        extra["LC_ALL"] = lang
    if env:
        extra.update(env)
    program = pathlib.Path(build_dir) / "bin" / "installer.exe"
    # A file, not a pipe: nobody reads a pipe while the installer runs, and the programs it
    # starts would inherit it.
    with open(log or os.devnull, "w") as debug:
        return subprocess.Popen([str(WINE_RUN), str(program), *args], env=display.env(extra),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=debug)


def run_script(default_output, body):
    """Command-line frame of the scripts: BUILD_DIR [OUTPUT_DIR] [--display :N]. Calls
    body(build_dir, output_dir, display) and always ends the display and the prefix's Wine.
    Returns the exit code: 0, or 1 when body raised RuntimeError or a time-out."""
    parser = argparse.ArgumentParser()
    parser.add_argument("build_dir", type=pathlib.Path)
    parser.add_argument("output_dir", type=pathlib.Path, nargs="?")
    parser.add_argument("--display")
    options = parser.parse_args()
    build_dir = options.build_dir.resolve()
    output = (options.output_dir or build_dir / default_output).resolve()
    output.mkdir(parents=True, exist_ok=True)
    display = Display(options.display)
    try:
        body(build_dir, output, display)
    except (RuntimeError, subprocess.TimeoutExpired) as error:
        print(f"failed: {error}", file=sys.stderr)
        return 1
    finally:
        stop_wine(build_dir)
        display.close()
    return 0
