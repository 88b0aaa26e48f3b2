"""The offline install in the real installer: the payload written to the temporary folder,
the mini installer's command line, progress steps, failures, and the browser launch."""

import pathlib
import re
import resource
import shutil
import signal
import subprocess

import pytest

from conftest import (BIN_DIR, WINE_RUN, WineRun, exe, run_wine, start_wine, wine_env,
                      wine_path, wait_until)
from installer_support import (ACTION_ON_600, CLIENT_STATE_KEY, CLOSE, INSTALL,  # noqa: F401
                               LICENSE_LINK, PREFIX_ENV, XWM_SETUP_DONE, gui_env,
                               installer_prefix, probe, record, reg_delete_key, reg_query,
                               reg_set, start_installer)

PAYLOAD_FILE = "orbavintel_install.exe"


def silent_install(start_installer, record, *args, program=None, extra=None):
    env = dict(record.env)
    env.update(extra or {})
    installer = start_installer("/s", *args, env=env, program=program)
    return installer.wait(timeout=60)


def progress_steps(debug):
    """The dots the worker wrote between "waiting" and the end of the wait."""
    start = debug.index("waiting")
    end = debug.index("\nmini installer quit.\n")
    return debug[start + 1:end].count(".")


def test_without_d_the_mini_installer_gets_only_its_path(start_installer, record, probe):
    result = silent_install(start_installer, record)
    assert result.returncode == 0
    temp_file = str(probe.temp_dir() / PAYLOAD_FILE)
    windows_file = probe.run("tempdir").stdout.strip().split("=", 1)[1] + PAYLOAD_FILE
    # The command line is the application name alone (Wine quotes it, Windows does not).
    assert [line.strip('"') for line in record.values("mini_cmdline")] == [windows_file]
    assert windows_file + " --make-chrome-default\n" in result.debug
    # Written byte for byte.
    with open(temp_file, "rb") as written, open(BIN_DIR / "stand_in_mini_installer.exe",
                                                "rb") as original:
        assert written.read() == original.read()
    assert record.values("mini_result") == ["installed"]
    assert record.values("browser_path") == []  # no "/r": nothing launched
    # The done step recorded the partner data.
    assert reg_query(CLIENT_STATE_KEY, "PartnerId") == "major"
    assert reg_query(CLIENT_STATE_KEY, "InstallerName") == "installer.exe"


def test_with_d_the_command_line_asks_for_the_default_browser(start_installer, record, probe):
    result = silent_install(start_installer, record, "/d")
    assert result.returncode == 0
    windows_file = probe.run("tempdir").stdout.strip().split("=", 1)[1] + PAYLOAD_FILE
    assert record.values("mini_cmdline") == [windows_file + " --make-chrome-default"]


def test_s_r_d_installs_and_launches_the_browser(start_installer, record):
    result = silent_install(start_installer, record, "/r", "/d")
    assert result.returncode == 0
    assert "Installer switches: /s 1, /r 1, /d 1.\n" in result.debug
    assert "auto launch when installed.\n" in result.debug
    installed = record.values("mini_install_path")[0] + "\\orbavintel.exe"
    # The installer does not wait for the browser it starts.
    assert wait_until(lambda: record.values("browser_path"), timeout=10)
    assert record.values("browser_path") == [installed]
    # The launch command was stored quoted and started without the quotes.
    assert installed + "\n" in result.debug


# Whatever an earlier run or another process left at the payload's path is removed, never
# written through: a link's target keeps its bytes, and a read-only file does not stop the run.
# No symbolic link here: Wine 8 shows a Unix one as the file it names, and deleting it deletes
# that file, where Windows deletes the link.
@pytest.mark.parametrize("left", ["longer file", "read-only file", "hard link"])
def test_leftover_payload_file_is_replaced(tmp_path, start_installer, record, probe, left):
    leftover = probe.temp_dir() / PAYLOAD_FILE
    leftover.unlink(missing_ok=True)
    victim = tmp_path / "victim.txt"
    victim.write_bytes(b"the victim's own bytes")
    if left in ("longer file", "read-only file"):
        leftover.write_bytes(b"stale " * 100000)
    if left == "read-only file":
        leftover.chmod(0o444)
    if left == "hard link":
        leftover.hardlink_to(victim)
    result = silent_install(start_installer, record)
    assert result.returncode == 0, "".join(result.debug)
    assert leftover.read_bytes() == (BIN_DIR / "stand_in_mini_installer.exe").read_bytes()
    assert victim.read_bytes() == b"the victim's own bytes"
    assert record.values("mini_result") == ["installed"]


def test_a_process_racing_to_swap_the_payload_never_runs_its_own(start_installer, record,
                                                                  probe, gui_env):
    """Another process of the user copies its program over the payload's path without pause
    while the installer writes and starts the payload. The installer may lose the file (and
    then stops with 5), but what it starts is its own payload, never the substitute: the
    stand-in browser, which would record its start."""
    windows_path = probe.run("tempdir").stdout.strip().split("=", 1)[1] + PAYLOAD_FILE
    substitute = wine_path(BIN_DIR / "stand_in_browser.exe")
    swapper = start_wine(exe("window_probe.exe"), "swap", windows_path, substitute, "20000",
                         env=dict(gui_env, WINE_RUN_STREAM="1", **record.env))
    try:
        assert swapper.stdout.readline().startswith("swapping=")
        for _ in range(3):
            result = silent_install(start_installer, record)
            assert result.returncode in (0, 5), result.debug
    finally:
        swapper.kill()
        swapper.wait()
    assert record.values("browser_path") == []


def with_payload_replaced(program, payload, substitute):
    """The bytes of |program| with its embedded |payload| replaced by |substitute|, padded with
    zeros to the same size (a program runs with data appended)."""
    data = program.read_bytes()
    start = data.index(payload)
    assert len(substitute) < len(payload)
    return data[:start] + substitute.ljust(len(payload), b"\0") + data[start + len(payload):]


# Windows lets a running program's file be renamed and another file be put at its path; what
# the installer writes and starts must still be its own payload.
def test_the_payload_written_is_the_running_installers_own(tmp_path, start_installer, record,
                                                            probe):
    payload = (BIN_DIR / "stand_in_mini_installer.exe").read_bytes()
    program = tmp_path / "installer.exe"
    shutil.copyfile(exe("installer.exe"), program)
    installer = start_installer(env=record.env, program=str(program))
    probe.find_visible()
    # The substitute is a program too: the stand-in browser would record its start.
    substitute = with_payload_replaced(program, payload,
                                       (BIN_DIR / "stand_in_browser.exe").read_bytes())
    program.rename(tmp_path / "installer-renamed.exe")
    program.write_bytes(substitute)
    probe.click(INSTALL)
    installer.close_when_done()
    assert (probe.temp_dir() / PAYLOAD_FILE).read_bytes() == payload
    assert record.values("mini_result") == ["installed"]
    assert record.values("browser_path") == []


def test_locked_payload_file_stops_with_done(start_installer, record, probe, gui_env):
    leftover = probe.temp_dir() / PAYLOAD_FILE
    windows_path = probe.run("tempdir").stdout.strip().split("=", 1)[1] + PAYLOAD_FILE
    # Streamed, so that its "locked" line arrives while it holds the file.
    locker = start_wine(exe("window_probe.exe"), "lock", windows_path, "30000",
                        env=dict(gui_env, WINE_RUN_STREAM="1"))
    try:
        assert locker.stdout.readline().startswith("locked=")
        result = silent_install(start_installer, record)
    finally:
        locker.kill()
        locker.wait()
    assert "fail extract offline package.\n" in result.debug
    assert "\nInstallerView::DoneSetup: 4\n" in result.debug
    assert result.returncode == 5
    assert record.values("mini_cmdline") == []
    assert leftover.exists()


def test_failed_payload_write_leaves_no_file(start_installer, record, probe, gui_env):
    leftover = probe.temp_dir() / PAYLOAD_FILE
    leftover.unlink(missing_ok=True)
    limit = (BIN_DIR / "stand_in_mini_installer.exe").stat().st_size // 2

    def limit_file_size():
        # Writes beyond the limit fail (EFBIG) instead of ending the process.
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))

    completed = subprocess.run([str(WINE_RUN), exe("installer.exe"), "/s"], capture_output=True,
                               text=True, errors="replace", timeout=60,
                               env=wine_env(dict(gui_env, **record.env)),
                               preexec_fn=limit_file_size, stdin=subprocess.DEVNULL)
    result = WineRun(completed)
    assert "fail extract offline package.\n" in result.debug
    assert result.returncode == 5
    assert not leftover.exists()
    assert record.values("mini_cmdline") == []


def test_closing_a_silent_install_before_its_result_ends_with_6(start_installer, record,
                                                                 probe, tmp_path):
    release = tmp_path / "release"
    installer = start_installer("/s", env=dict(record.env, ORBAVINTEL_STANDIN_NO_INSTALL="1",
                                              ORBAVINTEL_STANDIN_WAIT_FOR=wine_path(release)))
    assert wait_until(lambda: record.values("mini_cmdline"), timeout=20)
    probe.post(0x0010, 0)  # WM_CLOSE to the hidden window
    result = installer.wait(timeout=20)
    assert result.returncode == 6
    assert "Silent install interrupted before its result.\n" in result.debug
    assert "\nreceived XWM_SETUP_DONE\n" not in result.debug
    release.touch()


def test_interactive_failure_offers_done_which_closes_without_launching(start_installer,
                                                                        record, probe):
    installer = start_installer(env=record.env, program="installer_without_payload.exe")
    probe.find_visible()
    probe.click(INSTALL)
    # Done is offered: the action button closes the program (Launch would start a browser).
    assert installer.wait_for_debug("\nInstallerView::DoneSetup: 3\n")
    probe.click(ACTION_ON_600)
    result = installer.wait()
    assert result.returncode == 0
    assert "fail init offline package.\n" in result.debug
    assert "\nInstallerView::DoneSetup: 3\n" in result.debug
    assert "on done button pressed.\n" in result.debug
    assert "Fail get browser path.\n" not in result.debug
    assert record.values("browser_path") == []


def folder_of_length(root, length):
    """A new folder under |root| whose Windows path, with the final backslash the temporary
    folder is given, is |length| characters long."""
    folder = pathlib.Path(root)
    while len(wine_path(folder)) + 1 < length:
        missing = length - len(wine_path(folder)) - 2  # the new part and its backslash
        folder = folder / ("t" * max(1, min(missing, 200)))
    assert len(wine_path(folder)) + 1 == length
    folder.mkdir(parents=True)
    return folder


@pytest.mark.parametrize("length, code", [(237, 0), (250, 5), (300, 5)])
def test_temporary_folder_that_does_not_fit_writes_and_starts_nothing(tmp_path, gui_env,
                                                                       record, length, code):
    temp = folder_of_length(tmp_path / "temp", length)
    current = tmp_path / "current"
    current.mkdir()
    # Wine takes TMP and TEMP from the registry, not from Linux: a Windows parent sets them.
    windows_temp = wine_path(temp)
    command = (f"set TMP={windows_temp}&& set TEMP={windows_temp}&& "
               f"{wine_path(exe('installer.exe'))} /s")
    env = dict(gui_env, ORBAVINTEL_STANDIN_NO_INSTALL="1", **record.env)
    result = run_wine("cmd", "/c", command, env=env, cwd=current, timeout=60)
    assert result.returncode == code
    payload = windows_temp + "\\" + PAYLOAD_FILE
    if code == 0:
        # 237 + 22 = 259 characters: the longest path that still fits.
        assert [c.strip('"') for c in record.values("mini_cmdline")] == [payload]
        return
    assert "Temporary folder does not fit a path.\n" in result.debug
    assert record.values("mini_cmdline") == []
    assert list(current.iterdir()) == [] and list(temp.iterdir()) == []


@pytest.mark.parametrize("program", ["installer_without_payload.exe",
                                     "installer_empty_payload.exe"])
def test_missing_or_empty_payload_ends_a_silent_run_with_failure(start_installer, record,
                                                                 program):
    result = silent_install(start_installer, record, program=program)
    assert "fail init offline package.\n" in result.debug
    assert result.returncode == 5


def test_quick_mini_installer_still_steps_once(start_installer, record):
    result = silent_install(start_installer, record,
                            extra={"ORBAVINTEL_STANDIN_NO_INSTALL": "1"})
    joined = "".join(result.debug)
    assert progress_steps(joined) >= 1


def test_slow_mini_installer_advances_step_by_step(start_installer, record):
    result = silent_install(start_installer, record,
                            extra={"ORBAVINTEL_STANDIN_NO_INSTALL": "1",
                                   "ORBAVINTEL_STANDIN_DELAY_MS": "2000"})
    steps = progress_steps("".join(result.debug))
    # One step per 60 ms wait: about 33 in two seconds, give or take the start-up.
    assert 20 <= steps <= 60


@pytest.mark.parametrize("stored, started", [
    (r"Z:\nowhere\browser.exe", r"Z:\nowhere\browser.exe"),
    (r'"Z:\nowhere\browser.exe"', r"Z:\nowhere\browser.exe"),
    ('"', ""),
])
def test_launch_command_quotes(start_installer, record, stored, started):
    reg_set(CLIENT_STATE_KEY, "InstallerSuccessLaunchCmdLine", stored)
    result = silent_install(start_installer, record, "/r",
                            extra={"ORBAVINTEL_STANDIN_NO_INSTALL": "1"})
    assert result.returncode == 0
    assert started + "\n" in result.debug
    assert "fail launch browser.\n" in result.debug


def test_missing_launch_command_fails_to_launch_without_a_box(start_installer, record):
    reg_delete_key(CLIENT_STATE_KEY)
    result = silent_install(start_installer, record, "/r",
                            extra={"ORBAVINTEL_STANDIN_NO_INSTALL": "1"})
    # The done step has created the client-state key (partner data) before the launch, so
    # the key opens and only the value is missing: an empty command, no "Fail get" line.
    assert "Fail get browser path.\n" not in result.debug
    launch = result.debug.index("auto launch when installed.\n")
    assert result.debug[launch + 1:launch + 3] == ["\n", "fail launch browser.\n"]
    assert result.returncode == 0


@pytest.fixture
def http_stand_in():
    """The stand-in browser registered for http, so that opening a web address records it.
    (Wine 8 did not follow a handler registered in the user's classes.)"""
    key = r"HKLM\Software\Classes\http\shell\open\command"
    listed = run_wine("reg", "query", key, "/ve", env=PREFIX_ENV).stdout
    original = next(line.split(None, 2)[2] for line in listed.splitlines()
                    if line.strip().startswith("(Default)"))
    command = f'"{wine_path(BIN_DIR / "stand_in_browser.exe")}" "%1"'
    run_wine("reg", "add", key, "/ve", "/d", command, "/f", env=PREFIX_ENV)
    yield
    run_wine("reg", "add", key, "/ve", "/d", original, "/f", env=PREFIX_ENV)


def test_licence_link_opens_the_terms_address(http_stand_in, start_installer, record, probe):
    installer = start_installer(env=record.env)
    probe.find_visible()
    probe.click(LICENSE_LINK)
    assert wait_until(lambda: record.values("browser_cmdline"), timeout=20)
    probe.click(CLOSE)
    assert installer.wait().returncode == 0
    # English (United States) under LC_ALL=C.UTF-8.
    assert re.search(r' "http://[^/"]+/orbavintel/terms/pc/\?l=en&r=US"$',
                     record.values("browser_cmdline")[0])


def test_closing_while_installing_asks_to_wait_and_an_early_result_wins(start_installer,
                                                                        record, probe,
                                                                        tmp_path):
    release = tmp_path / "release"
    env = dict(record.env, ORBAVINTEL_STANDIN_NO_INSTALL="1",
               ORBAVINTEL_STANDIN_WAIT_FOR=wine_path(release))
    installer = start_installer(env=env)
    probe.find_visible()
    probe.click(INSTALL)
    assert wait_until(lambda: record.values("mini_cmdline"), timeout=20)
    probe.click(CLOSE)
    box = probe.dialog()
    assert box["text"] == "Installing, please wait..."
    assert box["caption"] == "Install" and box["icon"] == "yes"
    probe.dismiss()
    assert installer.running()
    # Another program's result brings the finished page before the mini installer ends.
    probe.post(XWM_SETUP_DONE, 7)
    assert installer.wait_for_debug("\nInstallerView::DoneSetup: 7\n")
    release.touch()
    # The worker's last step, which must post nothing.
    assert installer.wait_for_debug("\nmini installer quit.\n")
    probe.click(CLOSE)
    result = installer.wait(timeout=20)
    assert result.returncode == 0
    assert result.debug.count("\nreceived XWM_SETUP_DONE\n") == 1
    assert "\nmini installer quit.\n" in result.debug
