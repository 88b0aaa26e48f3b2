"""The real orbavintelup under Wine: one instance, client messages, and how a run ends."""

import socket
import time

import pytest

from conftest import exe, finish, run_wine, start_wine, wait_until

# UWM_NO_UPDATE, UWM_VERIFY_FAILED, UWM_INSTALLER_LAUNCHED, UWM_UPDATE_FAILED.
FINAL_MESSAGE_OFFSETS = [4, 8, 9, 10]


@pytest.fixture
def silent_server():
    """A server that accepts connections and never answers, so an update check stays open."""
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    yield "127.0.0.1:%d" % listener.getsockname()[1]
    listener.close()


def client(*switches, timeout_ms=3000):
    """Runs the test client window with |switches| and returns the lines it printed."""
    run = run_wine(exe("client_window.exe"), *switches, f"--timeout={timeout_ms}",
                   timeout=timeout_ms / 1000 + 30)
    return run.stdout.split("\n")


def ping_answered():
    return "UWM_PING_REPLY 0 0" in client("--ping", timeout_ms=1000)


@pytest.fixture
def updater(silent_server):
    """A running updater whose check hangs on the silent server; stopped if a test leaves it."""
    process = start_wine(exe("orbavintelup.exe"), f"--update-server={silent_server}")
    assert wait_until(ping_answered, timeout=30), "the updater window never answered a ping"
    yield process
    if process.poll() is None:
        client("--close", timeout_ms=300)
        try:
            finish(process, timeout=20)
        except Exception:
            process.kill()


def test_second_instance_exits_with_zero_and_leaves_the_first_running(updater, silent_server):
    started = time.monotonic()
    second = run_wine(exe("orbavintelup.exe"), f"--update-server={silent_server}", timeout=30)
    assert second.returncode == 0
    assert time.monotonic() - started < 15
    assert updater.poll() is None
    assert ping_answered()


@pytest.mark.parametrize("offset", FINAL_MESSAGE_OFFSETS)
def test_final_message_from_any_process_ends_the_run_with_zero(updater, offset):
    # This is how the browser stops a run.
    client(f"--post={offset}", timeout_ms=300)
    assert finish(updater, timeout=20).returncode == 0


def test_closing_the_window_ends_the_run_with_zero(updater):
    client("--close", timeout_ms=300)
    assert finish(updater, timeout=20).returncode == 0


def test_ping_without_a_window_gets_no_reply(updater):
    lines = client("--ping-null", "--ping", "--stay", timeout_ms=1500)
    assert lines.count("UWM_PING_REPLY 0 0") == 1


def test_registered_client_is_acknowledged_and_told_when_up_to_date(updater):
    newest = client("--register", "--version=255.255.255.255", timeout_ms=1500)
    assert newest[1:3] == ["UWM_CLIENT_REGISTERED 0 0", "UWM_NO_UPDATE 0 0"]
    older = client("--register", "--version=1.2.3.4", "--stay", timeout_ms=1500)
    assert "UWM_CLIENT_REGISTERED 0 0" in older
    assert "UWM_NO_UPDATE 0 0" not in older
