"""Whole update runs: the real orbavintelup under Wine against the local update server."""

import contextlib
import hashlib
import json
import pathlib
import shutil
import subprocess
import urllib.request

import pytest

from conftest import (WINE_RUN, exe, finish, prefix_folder, run_wine, start_wine, wait_until,
                      wine_env, wine_path)
from local_update_server import LocalUpdateServer

EDITION = "5d1c7a90e3b24f68a0c9e217b4f6d3a8"
PACKAGE_NAME = "orbavintel_browser_update.exe"
ORBAVINTEL_KEY = r"HKCU\Software\Orbavintel"
CLIENT_STATE_KEY = (ORBAVINTEL_KEY +
                    r"\Update\ClientState\{6F0A2C1E-7B3D-4E59-9A84-2C5D71E0B3A6}")


def wine_temp():
    """The Linux path of the temporary folder the updater writes its package to."""
    return prefix_folder("TEMP")[1]


def package_in_temp():
    return wine_temp() / PACKAGE_NAME


def sha256_hex(path):
    return hashlib.sha256(pathlib.Path(path).read_bytes()).hexdigest()


def answer(version, package_hash="", run_admin=False, default=(), backup=()):
    return json.dumps({"version": version, "hash": package_hash, "run_admin": run_admin,
                       "default": list(default), "backup": list(backup)})


class Run:
    """What one update run left behind: the client's messages, the requests, the record."""

    def __init__(self, client_run, server, record_path):
        client_lines = client_run.stdout.split("\n")
        expect_launch = "UWM_INSTALLER_LAUNCHED 0 0" in client_lines
        self.debug = client_run.debug
        self.lines = [line for line in client_lines if line and not line.startswith("CLIENT ")]
        self.messages = [line.split()[0] for line in self.lines]
        self.progress = [int(line.split()[1]) for line in self.lines
                         if line.startswith("UWM_DOWNLOAD_PROGRESS")]
        # The updater does not wait for the package it starts, so its record may come later;
        # the file exists a moment before its line is written.
        if expect_launch:
            wait_until(lambda: record_path.exists() and record_path.read_text().endswith("\n"),
                       timeout=15)
        self.requests = [r for r in server.requests() if r["route"] != "/control/answer"]
        self.records = ([json.loads(line) for line in record_path.read_text().splitlines()]
                        if record_path.exists() else [])

    def __str__(self):
        # For assertion messages: what the client heard and what the updater logged.
        return f"messages {self.messages}; debug lines {self.debug}"

    def downloads(self):
        return [r["path"] for r in self.requests if r["method"] == "GET"]


@contextlib.contextmanager
def release_server(tmp_path, *options):
    """A server (started with |options|) serving the stand-in package, and a clean Wine temp
    folder and registry."""
    package_in_temp().unlink(missing_ok=True)
    subprocess.run([str(WINE_RUN), "reg", "delete", ORBAVINTEL_KEY, "/f"], env=wine_env(),
                   capture_output=True)
    with LocalUpdateServer(tmp_path / "server", options=options) as server:
        package = server.files / "package.exe"
        shutil.copyfile(exe("stand_in_package.exe"), package)
        server.package_hash = sha256_hex(package)
        server.package_url = server.url("/files/package.exe")
        yield server
    package_in_temp().unlink(missing_ok=True)


@pytest.fixture
def release(tmp_path):
    """A server offering version 2.0 of the stand-in package, and a clean Wine temp folder."""
    with release_server(tmp_path) as server:
        yield server


def set_answer(server, text):
    urllib.request.urlopen(server.url("/control/answer"), data=text.encode(), timeout=5).read()


def run_update(server, tmp_path, *switches, version="1.0.0.0", program="orbavintelup.exe"):
    """Runs the updater through the test client until the run ends."""
    (tmp_path / version).mkdir(exist_ok=True)
    record = tmp_path / "record.jsonl"
    result = run_wine(exe("client_window.exe"), f"--launch={exe(program)}",
                      "--timeout=60000", "--", f"--version={version}",
                      f"--update-server={server.address}", *switches, cwd=tmp_path,
                      env={"ORBAVINTEL_STAND_IN_RECORD": wine_path(record)}, timeout=90)
    return Run(result, server, record)


def test_newer_version_is_downloaded_verified_and_started(release, tmp_path):
    set_answer(release, answer("2.0", release.package_hash, default=[release.package_url]))
    run = run_update(release, tmp_path, "--arch=x64", "--channel=stable", "--lang=en-US")

    assert run.messages[:3] == ["UWM_CLIENT_REGISTERED", "UWM_CHECKING", "UWM_UPDATE_AVAILABLE"]
    assert run.messages[-3:] == ["UWM_DOWNLOAD_COMPLETE", "UWM_INSTALLER_LAUNCHED",
                                 "UPDATER_EXIT"]
    assert run.lines[-1] == "UPDATER_EXIT 0"
    assert run.progress[-1] == 100
    assert run.progress == sorted(set(run.progress)), "a percentage repeated or went back"

    check = run.requests[0]
    assert check["method"] == "POST"
    assert check["headers"]["Content-Type"] == "application/x-www-form-urlencoded"
    assert check["headers"]["User-Agent"] == "Orbavintel Browser Updater"
    assert check["body"] == (f"version=1.0.0.0&edition={EDITION}&arch=x64&channel=stable"
                             "&partner=default&lang=en-US&miner=none")
    assert run.downloads() == ["/files/package.exe"]

    # Started once, with its path as the only element, in the version folder, not elevated.
    [record] = run.records
    assert record["command_line"] == f'"{prefix_folder("TEMP")[0]}\\{PACKAGE_NAME}"'
    assert record["cwd"] == wine_path(tmp_path / "1.0.0.0")
    assert "Starting the update package.\n" in run.debug
    # The package stays for the next run.
    assert sha256_hex(package_in_temp()) == release.package_hash


def test_run_admin_starts_the_package_through_the_elevated_launch(release, tmp_path):
    set_answer(release, answer("2.0", release.package_hash.upper(), run_admin=True,
                               default=[release.package_url]))
    run = run_update(release, tmp_path)
    assert run.messages[-2:] == ["UWM_INSTALLER_LAUNCHED", "UPDATER_EXIT"]
    assert len(run.records) == 1
    # Wine has no consent prompt and gives every process a full token: the updater's own
    # line tells which launch it used.
    assert "Starting the update package elevated.\n" in run.debug
    # The updater's "no crash or error boxes" is its own, not the package's.
    assert run.records[0]["error_mode"] == 0


# A verified package that the system cannot start (here: not a program) must not be reported
# as launched, elevated or not.
@pytest.mark.parametrize("run_admin", [False, True], ids=["normal", "elevated"])
def test_package_that_cannot_start_ends_in_failure(release, tmp_path, run_admin):
    text = release.files / "notes.exe"
    text.write_text("not a program\n")
    set_answer(release, answer("2.0", sha256_hex(text), run_admin=run_admin,
                               default=[release.url("/files/notes.exe")]))
    run = run_update(release, tmp_path)
    assert run.messages[-3:] == ["UWM_DOWNLOAD_COMPLETE", "UWM_UPDATE_FAILED", "UPDATER_EXIT"]
    assert run.lines[-1] == "UPDATER_EXIT 0"
    assert any(line.startswith("The update package could not be started (error ")
               for line in run.debug)


# A missing, empty or invalid installed version is sent as 0.0.0.0.
@pytest.mark.parametrize("version_switch", [[], ["--version="], ["--version=1.x"]])
def test_without_switches_the_form_holds_four_fields(release, tmp_path, version_switch):
    set_answer(release, answer("0.0.0.0"))
    result = run_wine(exe("orbavintelup.exe"), f"--update-server={release.address}",
                      *version_switch, cwd=tmp_path, timeout=60)
    assert result.returncode == 0
    [check] = release.requests("/orbavintel/update/version_win/")
    assert check["body"] == f"version=0.0.0.0&edition={EDITION}&partner=default&miner=none"


# A folder outside the ANSI code page must keep its digests too.
@pytest.mark.parametrize("folder", ["install", "Программы/Orbavintel"])
def test_all_eleven_fields_stand_in_order_with_values_verbatim(release, tmp_path, folder):
    install = tmp_path / folder
    package_folder = install / "3.1.0.7" / "Installer"
    package_folder.mkdir(parents=True)
    (package_folder / "chrome.7z").write_bytes(b"archive" * 1000)
    (package_folder / "setup.exe").write_bytes(b"")
    shutil.copyfile(exe("orbavintelup.exe"), install / "orbavintelup.exe")
    for name, value in (("PartnerId", "ma&jor=1"), ("InstallerName", "web setup+2")):
        subprocess.run([str(WINE_RUN), "reg", "add", CLIENT_STATE_KEY, "/v", name, "/d", value,
                        "/f"], env=wine_env(), capture_output=True, check=True)
    set_answer(release, answer("3.1.0.7"))
    result = run_wine(str(install / "orbavintelup.exe"), "--version=3.1.0.7",
                      f"--update-server={release.address}", "--arch=x64&x=1",
                      "--channel=beta + rc", "--device=p=c", "--lang=zh CN&", timeout=60)
    assert result.returncode == 0
    [check] = release.requests("/orbavintel/update/version_win/")
    chrome = hashlib.sha256(b"archive" * 1000).hexdigest().upper()
    empty = hashlib.sha256(b"").hexdigest().upper()
    assert check["body"] == (f"version=3.1.0.7&edition={EDITION}&arch=x64&x=1"
                             "&channel=beta + rc&device=p=c&partner=ma&jor=1&lang=zh CN&"
                             f"&install=web setup+2&hash_chrome={chrome}&hash_setup={empty}"
                             "&miner=none")


@pytest.mark.parametrize("offered", ["1.0", "0.9.9", "abc", None])
def test_no_newer_version_ends_the_run(release, tmp_path, offered):
    set_answer(release, json.dumps({} if offered is None else {"version": offered}))
    run = run_update(release, tmp_path)
    assert run.messages == ["UWM_CLIENT_REGISTERED", "UWM_CHECKING", "UWM_NO_UPDATE",
                            "UPDATER_EXIT"]
    assert run.lines[-1] == "UPDATER_EXIT 0"
    assert run.downloads() == []


@pytest.mark.parametrize("server_answer", ["{not json", "[]", '{"version": "2.0"}'])
def test_unusable_answer_ends_in_failure(release, tmp_path, server_answer):
    set_answer(release, server_answer)
    run = run_update(release, tmp_path)
    assert run.messages[-2:] == ["UWM_UPDATE_FAILED", "UPDATER_EXIT"]
    assert run.lines[-1] == "UPDATER_EXIT 0"


def test_unreachable_server_ends_in_failure(release, tmp_path):
    record = tmp_path / "record.jsonl"
    result = run_wine(exe("client_window.exe"), f"--launch={exe('orbavintelup.exe')}",
                      "--timeout=60000", "--", "--update-server=127.0.0.1:9", timeout=90)
    assert "UWM_UPDATE_FAILED 0 0" in result.stdout
    assert "UPDATER_EXIT 0" in result.stdout
    assert not record.exists()


def test_failed_urls_move_on_defaults_first_then_backup(release, tmp_path):
    broken = release.url("/@status=404/files/package.exe")
    unsplittable = "no scheme at all"
    set_answer(release, answer("2.0", release.package_hash, default=[broken, unsplittable],
                               backup=[release.package_url]))
    run = run_update(release, tmp_path)
    # A URL that cannot even be started counts as failed, like the 404.
    assert run.downloads() == ["/@status=404/files/package.exe", "/files/package.exe"]
    assert run.messages[-2:] == ["UWM_INSTALLER_LAUNCHED", "UPDATER_EXIT"]
    assert len(run.records) == 1


def test_wrong_digest_tries_every_url_then_ends_in_verify_failed(release, tmp_path):
    set_answer(release, answer("2.0", "00" * 32, default=[release.package_url],
                               backup=[release.url("/@delay=1/files/package.exe")]))
    run = run_update(release, tmp_path)
    assert sorted(run.downloads()) == ["/@delay=1/files/package.exe", "/files/package.exe"]
    assert run.messages[-2:] == ["UWM_VERIFY_FAILED", "UPDATER_EXIT"]
    assert run.lines[-1] == "UPDATER_EXIT 0"
    assert run.records == []


def test_verified_package_already_present_skips_the_download(release, tmp_path):
    shutil.copyfile(release.files / "package.exe", package_in_temp())
    set_answer(release, answer("2.0", release.package_hash, default=[release.package_url]))
    run = run_update(release, tmp_path)
    assert run.downloads() == []
    assert run.messages == ["UWM_CLIENT_REGISTERED", "UWM_CHECKING", "UWM_UPDATE_AVAILABLE",
                            "UWM_DOWNLOAD_COMPLETE", "UWM_INSTALLER_LAUNCHED", "UPDATER_EXIT"]
    assert len(run.records) == 1


def test_stale_package_is_replaced_by_the_download(release, tmp_path):
    package_in_temp().write_bytes(b"an older package")
    set_answer(release, answer("2.0", release.package_hash, default=[release.package_url]))
    run = run_update(release, tmp_path)
    assert run.downloads() == ["/files/package.exe"]
    assert sha256_hex(package_in_temp()) == release.package_hash
    assert len(run.records) == 1


def test_slow_download_reports_rising_progress(release, tmp_path):
    big = release.files / "big.exe"
    stand_in = (release.files / "package.exe").read_bytes()
    # Padding after the image keeps it a runnable program.
    big.write_bytes(stand_in + bytes(3 * 1024 * 1024))
    set_answer(release, answer("2.0", sha256_hex(big),
                               default=[release.url("/@trickle=10/@chunk=65536/files/big.exe")]))
    run = run_update(release, tmp_path)
    assert run.progress[-1] == 100
    assert len(run.progress) >= 5
    assert all(a < b for a, b in zip(run.progress, run.progress[1:]))
    assert run.messages[-2:] == ["UWM_INSTALLER_LAUNCHED", "UPDATER_EXIT"]


def test_client_registering_during_a_download_hears_the_last_percentage(release, tmp_path):
    slow = release.files / "slow.exe"
    slow.write_bytes((release.files / "package.exe").read_bytes() + bytes(2 * 1024 * 1024))
    set_answer(release, answer("2.0", sha256_hex(slow),
                               default=[release.url("/@trickle=50/@chunk=32768/files/slow.exe")]))
    follower = start_wine(exe("client_window.exe"), f"--launch={exe('orbavintelup.exe')}",
                          "--timeout=60000", "--", f"--update-server={release.address}",
                          cwd=tmp_path)
    try:
        package = package_in_temp()
        assert wait_until(lambda: package.exists() and package.stat().st_size, timeout=30)
        late = run_wine(exe("client_window.exe"), "--register", "--version=1.0",
                        "--timeout=1000", "--stay").stdout.split("\n")
    finally:
        finish(follower, timeout=90)
    assert late[1] == "UWM_CLIENT_REGISTERED 0 0"
    assert late[2].startswith("UWM_DOWNLOAD_PROGRESS ")
    assert 0 < int(late[2].split()[1]) < 100
