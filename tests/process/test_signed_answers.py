"""Signed update answers: orbavintelup_signed.exe (test keys a and b built in) against the
local update server signing with a test key, or spoiling the signature on purpose."""

import re
import shutil
import subprocess
import urllib.request

import pytest

from conftest import SOURCE_DIR, WINE_RUN, exe, run_wine, wine_env, wine_path
from test_update_run import (CLIENT_STATE_KEY, EDITION, Run, answer, release_server,
                             run_update, set_answer)

KEYS = SOURCE_DIR / "tests" / "updater" / "keys"
CHECK_PATH = "/orbavintel/update/version_win/"
SIGNED_UPDATER = "orbavintelup_signed.exe"
FORM = re.compile(f"^version=1\\.0\\.0\\.0&edition={EDITION}&partner=default&miner=none"
                  "&nonce=([0-9a-f]{32})$")


def signing_server(tmp_path, key="a"):
    return release_server(tmp_path, "--signing-key", KEYS / f"test_key_{key}.private.pem")


def offer_package(server):
    set_answer(server, answer("2.0", server.package_hash, default=[server.package_url]))


def set_sign_fault(server, mode):
    urllib.request.urlopen(server.url("/control/sign-fault"), data=mode.encode(),
                           timeout=5).read()


def nonce_of(check):
    match = FORM.match(check["body"])
    assert match, check["body"]
    return match.group(1)


@pytest.mark.parametrize("key, key_id", [("a", "7da7c3169787ac44"), ("b", "214c85d98645d0a2")])
def test_answer_signed_by_a_built_in_key_is_downloaded_and_started(tmp_path, key, key_id):
    with signing_server(tmp_path, key) as server:
        offer_package(server)
        run = run_update(server, tmp_path, program=SIGNED_UPDATER)
    assert run.messages[-3:] == ["UWM_DOWNLOAD_COMPLETE", "UWM_INSTALLER_LAUNCHED",
                                 "UPDATER_EXIT"]
    assert f"Update answer signed by key {key_id}.\n" in run.debug
    # Every field of the unsigned form, unchanged, then the nonce.
    [check] = [r for r in run.requests if r["path"] == CHECK_PATH]
    nonce_of(check)
    assert run.downloads() == ["/files/package.exe"]
    assert len(run.records) == 1


@pytest.mark.parametrize("mode, line", [
    ("no-header", "Update answer refused: no signature header.\n"),
    ("malformed", "Update answer refused: malformed signature header.\n"),
    ("foreign-key", "Update answer refused: unknown key "),
    ("flip-bit", "Update answer refused: bad signature.\n"),
    ("changed-answer", "Update answer refused: bad signature.\n"),
])
def test_spoiled_signature_ends_the_run_before_any_download(tmp_path, mode, line):
    with signing_server(tmp_path) as server:
        offer_package(server)
        set_sign_fault(server, mode)
        run = run_update(server, tmp_path, program=SIGNED_UPDATER)
    assert run.messages == ["UWM_CLIENT_REGISTERED", "UWM_CHECKING", "UWM_UPDATE_FAILED",
                            "UPDATER_EXIT"]
    assert run.lines[-1] == "UPDATER_EXIT 0"
    [verdict] = [d for d in run.debug if d.startswith("Update answer ")]
    assert verdict.startswith(line)
    assert run.downloads() == []
    assert run.records == []


def test_without_the_platform_cryptography_no_answer_is_trusted(tmp_path):
    with signing_server(tmp_path) as server:
        offer_package(server)
        (tmp_path / "1.0.0.0").mkdir()
        client = run_wine(exe("client_window.exe"), f"--launch={exe(SIGNED_UPDATER)}",
                          "--timeout=60000", "--", "--version=1.0.0.0",
                          f"--update-server={server.address}", cwd=tmp_path, timeout=90,
                          env={"WINEDLLOVERRIDES": "mscoree,mshtml=;bcrypt=",
                               "ORBAVINTEL_STAND_IN_RECORD": wine_path(tmp_path / "record")})
        run = Run(client, server, tmp_path / "record")
    assert run.messages[:3] == ["UWM_CLIENT_REGISTERED", "UWM_CHECKING", "UWM_UPDATE_FAILED"]
    assert "Update answer refused: the signature could not be checked.\n" in run.debug
    assert run.downloads() == []
    assert run.records == []
    # Wine's own winhttp needs bcrypt.dll (through crypt32) to tear its requests down, so
    # under this override the updater aborts after its last message instead of ending.


def test_answer_replayed_from_an_earlier_run_is_refused(tmp_path):
    with signing_server(tmp_path) as server:
        offer_package(server)
        first = run_update(server, tmp_path, program=SIGNED_UPDATER)
        assert first.messages[-2:] == ["UWM_INSTALLER_LAUNCHED", "UPDATER_EXIT"]
        (tmp_path / "record.jsonl").unlink()
        set_sign_fault(server, "replay")
        second = run_update(server, tmp_path, program=SIGNED_UPDATER)
    assert second.messages[-2:] == ["UWM_UPDATE_FAILED", "UPDATER_EXIT"]
    assert "Update answer refused: bad signature.\n" in second.debug
    assert second.downloads() == first.downloads() == ["/files/package.exe"]
    assert second.records == []
    # The same installation sends the same form but for a fresh nonce.
    earlier, later = [r for r in second.requests if r["path"] == CHECK_PATH]
    assert nonce_of(earlier) != nonce_of(later)


def test_updater_without_keys_ignores_the_signature_and_sends_no_nonce(tmp_path):
    install = tmp_path / "install"
    (install / "1.0.0.0" / "Installer").mkdir(parents=True)
    (install / "1.0.0.0" / "Installer" / "chrome.7z").write_bytes(b"archive")
    (install / "1.0.0.0" / "Installer" / "setup.exe").write_bytes(b"setup")
    shutil.copyfile(exe("orbavintelup.exe"), install / "orbavintelup.exe")
    with signing_server(tmp_path) as server:
        for name, value in (("PartnerId", "major"), ("InstallerName", "installer.exe")):
            subprocess.run([str(WINE_RUN), "reg", "add", CLIENT_STATE_KEY, "/v", name, "/d",
                            value, "/f"], env=wine_env(), capture_output=True, check=True)
        offer_package(server)
        run = run_update(server, tmp_path, "--arch=x64", "--channel=stable", "--device=pc",
                         "--lang=en-US", program=str(install / "orbavintelup.exe"))
    [check] = [r for r in run.requests if r["path"] == CHECK_PATH]
    assert re.fullmatch(f"version=1\\.0\\.0\\.0&edition={EDITION}&arch=x64&channel=stable"
                        "&device=pc&partner=major&lang=en-US&install=installer\\.exe"
                        "&hash_chrome=[0-9A-F]{64}&hash_setup=[0-9A-F]{64}&miner=none",
                        check["body"]), check["body"]
    # The answer carried a signature header; this build neither checks nor needs it.
    assert not [line for line in run.debug if line.startswith("Update answer")]
    assert run.messages[-2:] == ["UWM_INSTALLER_LAUNCHED", "UPDATER_EXIT"]
    assert run.downloads() == ["/files/package.exe"]
