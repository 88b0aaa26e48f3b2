"""Update runs against a hostile or broken server: every run ends, clients hear how, and only
verified bytes ever run."""

import os
import random
import subprocess
import time
import urllib.request

import pytest

from conftest import exe, finish, run_wine, start_wine, wait_until, wine_path
from test_update_run import (answer, package_in_temp, release, run_update,  # noqa: F401
                             set_answer, sha256_hex, wine_temp)

CHECK_PATH = "/orbavintel/update/version_win/"
# Nothing listens on the discard port: the connection is refused at once.
REFUSED = "http://127.0.0.1:9"
# Short deadlines keep the hanging cases fast (the defaults are 120 s and a 60 s low-speed
# window), and a 4 MiB package limit the endless ones (the default is 1 GiB).
SHORT_DEADLINES = ["--check-deadline-ms=1500", "--low-speed-window-ms=1500",
                   "--max-package-bytes=4194304"]
PACKAGE = "/files/package.exe"
# Wine's asynchronous WinHttpReadData blocks its caller when part of a read is already
# buffered (a first byte that came with the headers) until the 30 s receive timeout; Windows'
# never blocks. The updater's cancel waits for that callback, so under Wine such a stall would
# end after 30 s rather than at the deadline: here the headers come alone.
BYTE_A_MINUTE = "/@byte-every=60000" + PACKAGE


def set_check_faults(server, faults):
    urllib.request.urlopen(server.url("/control/check-faults"), data=faults.encode(),
                           timeout=5).read()


def fault(check="", default=(), backup=(), final="UWM_UPDATE_FAILED", downloads=None,
          left=False):
    """One case: faults on the check, download paths, the last message (or the messages that
    may be last), the GETs made (the default paths then the backup paths when None) and
    whether a package file is left (a file that failed verification always is)."""
    if downloads is None:
        downloads = [p for p in list(default) + list(backup) if p and not p.startswith(REFUSED)]
    finals = (final,) if isinstance(final, str) else final
    return dict(check=check, default=list(default), backup=list(backup), finals=finals,
                downloads=downloads, left=left)


CASES = {
    "check answered 500": fault(check="@status=500", downloads=[]),
    "check body cut short": fault(check="@truncate=12", downloads=[]),
    "check never answered": fault(check="@hang", downloads=[]),
    "download answered 500": fault(default=["/@status=500" + PACKAGE]),
    # The engine answers a challenge once; the second 401 in a row ends the transfer.
    "two 401s in a row": fault(default=["/@auth" + PACKAGE],
                               downloads=["/@auth" + PACKAGE] * 2),
    "no content length": fault(default=["/@no-length" + PACKAGE], final="UWM_INSTALLER_LAUNCHED",
                               left=True),
    "content length too long": fault(default=["/@length=99999999" + PACKAGE]),
    # WinHTTP stops at the announced length and the short file fails verification; Wine's
    # sometimes reads on, and the engine fails a body that runs past the length.
    "content length too short": fault(default=["/@length=1000" + PACKAGE],
                                      final=("UWM_VERIFY_FAILED", "UWM_UPDATE_FAILED")),
    "body truncated": fault(default=["/@truncate=20000" + PACKAGE]),
    "chunked body": fault(default=["/@chunked" + PACKAGE], final="UWM_INSTALLER_LAUNCHED",
                          left=True),
    "endless chunked body": fault(default=["/@chunked/@endless" + PACKAGE]),
    # Windows' WinHTTP fails a chunked body whose connection closes before the last chunk;
    # Wine 8's ends it quietly as if whole, so the program cannot tell, and the cut file then
    # fails verification.
    "chunked body without its last chunk": fault(default=["/@chunked/@truncate=20000" + PACKAGE],
                                                 final=("UWM_VERIFY_FAILED",
                                                        "UWM_UPDATE_FAILED")),
    "chunked body reset": fault(default=["/@chunked/@reset=20000" + PACKAGE]),
    "no length, reset mid-body": fault(default=["/@no-length/@reset=20000" + PACKAGE]),
    "connection reset mid-body": fault(default=["/@reset=20000" + PACKAGE]),
    "connection refused": fault(default=[REFUSED + PACKAGE]),
    # An empty URL fails at once, like any URL, and is never chosen again.
    "empty URL": fault(default=[""]),
    "empty URLs, then the backup": fault(default=["", ""], backup=[PACKAGE],
                                         final="UWM_INSTALLER_LAUNCHED", left=True),
    "refused, then the backup": fault(default=[REFUSED + PACKAGE], backup=[PACKAGE],
                                      final="UWM_INSTALLER_LAUNCHED", left=True),
    "download never answered, then the backup": fault(
        default=["/@hang" + PACKAGE], backup=[PACKAGE], final="UWM_INSTALLER_LAUNCHED",
        left=True),
    "a byte a minute, then the backup": fault(default=[BYTE_A_MINUTE], backup=[PACKAGE],
                                              final="UWM_INSTALLER_LAUNCHED", left=True),
    # 500 bytes a second, under the 1 KiB/s limit, which keeps no download alive.
    "below the low-speed limit, then the backup": fault(
        default=["/@trickle=200/@chunk=100" + PACKAGE], backup=[PACKAGE],
        final="UWM_INSTALLER_LAUNCHED", left=True),
    # A 206 counts as failed, but the whole file it wrote stays; the next URL finds it
    # verified and starts it without a request.
    "206 only": fault(default=["/@as-status=206" + PACKAGE], left=True),
    "206, then the backup": fault(default=["/@as-status=206" + PACKAGE], backup=[PACKAGE],
                                  final="UWM_INSTALLER_LAUNCHED",
                                  downloads=["/@as-status=206" + PACKAGE], left=True),
}


@pytest.mark.parametrize("case", CASES.values(), ids=CASES.keys())
def test_run_level_fault_ends_with_the_right_message(release, tmp_path, case):
    def url(path):
        return path if not path or path.startswith(REFUSED) else release.url(path)

    set_check_faults(release, case["check"])
    set_answer(release, answer("2.0", release.package_hash,
                               default=[url(p) for p in case["default"]],
                               backup=[url(p) for p in case["backup"]]))
    run = run_update(release, tmp_path, *SHORT_DEADLINES)

    final = run.messages[-2]
    assert final in case["finals"] and run.messages[-1] == "UPDATER_EXIT"
    assert run.lines[-1] == "UPDATER_EXIT 0"
    # A failed transfer is never announced as a complete download, and nothing twice.
    launched = final == "UWM_INSTALLER_LAUNCHED"
    verify_failed = final == "UWM_VERIFY_FAILED"
    assert run.messages.count("UWM_DOWNLOAD_COMPLETE") == (1 if launched or verify_failed else 0)
    assert run.downloads() == case["downloads"]
    assert len(run.records) == (1 if launched else 0)
    assert package_in_temp().exists() == (case["left"] or verify_failed)


def test_reset_right_after_the_status_line_still_ends_the_run(release, tmp_path):
    """Windows' WinHTTP fails such a request, and the run ends in UWM_UPDATE_FAILED. Wine 8's
    winhttp crashes on a worker thread instead and starts its debugger whatever the error mode
    says; the prefix's crash dialog is turned off (cmake/wine-run), so the process ends rather
    than waiting on a dialog nobody sees. A prefix of the test's own, made by wine-run for it,
    proves that setting: an older prefix might have it from elsewhere. Either way the run must
    end long before the check's own 120 s deadline, and before the client gives up."""
    set_check_faults(release, "@reset-after-status")
    set_answer(release, answer("2.0", release.package_hash, default=[release.package_url]))
    fresh = {"WINEPREFIX_OVERRIDE": str(tmp_path / "fresh-prefix")}
    try:
        result = run_wine(exe("client_window.exe"), f"--launch={exe('orbavintelup.exe')}",
                          "--timeout=45000", "--", f"--update-server={release.address}",
                          cwd=tmp_path, timeout=240, env=fresh)
    finally:
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=fresh[
            "WINEPREFIX_OVERRIDE"]), capture_output=True)
    lines = result.stdout.split("\n")
    assert "TIMEOUT" not in lines
    exits = [line for line in lines if line.startswith("UPDATER_EXIT ")]
    assert exits
    if exits[0] == "UPDATER_EXIT 0":
        assert "UWM_UPDATE_FAILED 0 0" in lines
    assert [r for r in release.requests() if r["method"] == "GET"] == []


def test_link_at_the_stated_rate_is_never_cut(release, tmp_path):
    """The README's bound, scaled to a 6 s low-speed window (6 KiB each): the first byte 2 s
    after the request, then 2 KiB/s (256 bytes every 125 ms), 24 KiB over four windows."""
    small = release.files / "small.bin"
    small.write_bytes(bytes(range(256)) * 96)
    set_answer(release, answer("2.0", sha256_hex(small), default=[
        release.url("/@delay=2000/@trickle=125/@chunk=256/files/small.bin")]))
    run = run_update(release, tmp_path, "--low-speed-window-ms=6000")
    assert "UWM_DOWNLOAD_COMPLETE" in run.messages, str(run)
    assert "The download was slower than the low-speed limit.\n" not in run.debug


def slow_package(server, megabytes):
    """A runnable package of about |megabytes| MB served at 640 KB/s; returns its URL path."""
    slow = server.files / "slow.exe"
    slow.write_bytes((server.files / "package.exe").read_bytes() + bytes(megabytes << 20))
    set_answer(server, answer("2.0", sha256_hex(slow), default=[
        server.url("/@trickle=100/@chunk=65536/files/slow.exe")]))
    return "/@trickle=100/@chunk=65536/files/slow.exe"


# Mid-download copies of the reports that start work, then for the second case a final one
# (UWM_INSTALLER_LAUNCHED): the first must neither restart the download nor launch a partial
# file; the second ends the run as the browser asks, and starts nothing either.
@pytest.mark.parametrize("posts, ended_by_post", [("5,7", False), ("5,7,9", True)],
                         ids=["work copies", "work copies then a final message"])
def test_reports_posted_by_others_never_repeat_or_skip_a_step(release, tmp_path, posts,
                                                               ended_by_post):
    slow = slow_package(release, 3)
    record = tmp_path / "record.jsonl"
    follower = start_wine(exe("client_window.exe"), f"--launch={exe('orbavintelup.exe')}",
                          "--timeout=60000", "--", f"--update-server={release.address}",
                          cwd=tmp_path, env={"ORBAVINTEL_STAND_IN_RECORD": wine_path(record)})
    try:
        package = package_in_temp()
        assert wait_until(lambda: package.exists() and package.stat().st_size, timeout=30)
        # The updater's own window as a client would hear each report twice.
        stray = run_wine(exe("client_window.exe"), "--register-updater", f"--post={posts}",
                         "--timeout=300")
        assert "NO_UPDATER" not in stray.stdout
    finally:
        run = finish(follower, timeout=90)
    lines = run.stdout.split("\n")
    assert "Refusing to register the updater's own window as a client.\n" in run.debug
    assert [r["path"] for r in release.requests() if r["method"] == "GET"] == [slow]
    if ended_by_post:
        assert "UWM_DOWNLOAD_COMPLETE 0 0" not in lines and lines[-2:] == ["UPDATER_EXIT 0", ""]
        assert not record.exists()
        return
    assert lines.count("UWM_DOWNLOAD_COMPLETE 0 0") == 1
    assert lines[-3:] == ["UWM_INSTALLER_LAUNCHED 0 0", "UPDATER_EXIT 0", ""]
    assert wait_until(record.exists, timeout=15)
    assert len(record.read_text().splitlines()) == 1


# The browser stops a run the moment it hears a step, while the updater's own report of that
# step already waits in its queue and the window thread is busy reading a 200 MiB package that
# is already in place. Nothing may start after the stop: no transfer, no launch.
@pytest.mark.parametrize("heard", ["UWM_UPDATE_AVAILABLE", "UWM_DOWNLOAD_COMPLETE"])
def test_stop_while_work_is_queued_starts_nothing(release, tmp_path, heard):
    package = package_in_temp()
    package.write_bytes((release.files / "package.exe").read_bytes() + bytes(200 << 20))
    set_answer(release, answer("2.0", sha256_hex(package), default=[release.package_url]))
    record = tmp_path / "record.jsonl"
    run = run_wine(exe("client_window.exe"), f"--launch={exe('orbavintelup.exe')}",
                   f"--stop-on={heard}", "--timeout=60000", "--",
                   f"--update-server={release.address}", cwd=tmp_path, timeout=90,
                   env={"ORBAVINTEL_STAND_IN_RECORD": wine_path(record)})
    lines = run.stdout.split("\n")
    assert "STOP_POSTED" in lines
    assert "UWM_INSTALLER_LAUNCHED 0 0" not in lines
    assert lines[-2:] == ["UPDATER_EXIT 0", ""]
    assert [r for r in release.requests() if r["method"] == "GET"] == []
    time.sleep(2)  # the package, had it been started, would have written its record by now
    assert not record.exists()


def test_flood_of_posts_holds_no_deadline_off(release, tmp_path):
    """Another process posting to the updater without pause never finds its queue empty, and
    the updater still ends the unanswered check at its deadline (the flood lasts as long as the
    updater does, so without that the run would end only at the client's timeout)."""
    set_check_faults(release, "@hang")
    run = run_wine(exe("client_window.exe"), f"--launch={exe('orbavintelup.exe')}", "--flood",
                   "--timeout=60000", "--", f"--update-server={release.address}",
                   "--check-deadline-ms=1500", cwd=tmp_path, timeout=90)
    lines = run.stdout.split("\n")
    flooded = [int(line.split()[1]) for line in lines if line.startswith("FLOODED ")]
    assert flooded and flooded[0] > 0
    assert "UWM_UPDATE_FAILED 0 0" in lines and "UPDATER_EXIT 0" in lines
    assert "TIMEOUT" not in lines
    assert "The update check got no complete answer in time.\n" in run.debug


def test_two_updaters_started_together_check_once(release):
    set_check_faults(release, "@delay=1000")
    set_answer(release, answer("1.0"))
    for round_number in range(1, 6):
        pair = [start_wine(exe("orbavintelup.exe"), f"--update-server={release.address}")
                for _ in range(2)]
        assert [finish(p, timeout=60).returncode for p in pair] == [0, 0]
        # The second one must end before it checks, whichever of the two it is.
        assert len(release.requests(CHECK_PATH)) == round_number


def test_close_at_any_moment_of_a_download_leaves_nothing_behind(release, tmp_path):
    slow_package(release, 2)
    before = set(wine_temp().iterdir())
    chance = random.Random()
    for _ in range(20):
        delay = chance.randint(100, 1500)
        run = run_wine(exe("client_window.exe"), f"--launch={exe('orbavintelup.exe')}",
                       f"--close-after={delay}", "--timeout=30000", "--",
                       f"--update-server={release.address}", cwd=tmp_path, timeout=60)
        lines = run.stdout.split("\n")
        assert "UPDATER_EXIT 0" in lines, f"closed after {delay} ms: {run}"
        assert set(wine_temp().iterdir()) == before, f"closed after {delay} ms"
