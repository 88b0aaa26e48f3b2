"""Signed update answers: orbavintelup_signed.exe (test keys a and b built in) against the
local update server signing with a test key, or spoiling the signature on purpose."""

import re
import urllib.request

import pytest

from conftest import SOURCE_DIR
from test_update_run import EDITION, answer, release_server, run_update, set_answer

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
