"""The local update server on its own, driven with Python's HTTP client (no Wine)."""

import http.client
import socket
import subprocess
import sys
import time

import pytest

from local_update_server import SERVER_SCRIPT, LocalUpdateServer

ANSWER = '{"version": "2.0.0.1", "hash": "AB", "run_admin": false, "default": [],}'


@pytest.fixture
def server(tmp_path):
    with LocalUpdateServer(tmp_path, answer=ANSWER) as running:
        yield running


def request(server, method, path, body=None, headers=None):
    connection = http.client.HTTPConnection("127.0.0.1", server.port, timeout=10)
    try:
        connection.request(method, path, body=body, headers=headers or {})
        response = connection.getresponse()
        return response.status, dict(response.getheaders()), response.read()
    finally:
        connection.close()


def raw_exchange(server, path):
    """Sends a GET and returns everything the server sent until it closed, and how."""
    with socket.create_connection(("127.0.0.1", server.port), timeout=10) as sock:
        sock.sendall(f"GET {path} HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n".encode())
        data = b""
        try:
            while chunk := sock.recv(65536):
                data += chunk
            ending = "closed"
        except ConnectionResetError:
            ending = "reset"
    head, _, body = data.partition(b"\r\n\r\n")
    return head.decode("latin-1"), body, ending


def test_answers_the_update_check_and_logs_the_form(server):
    status, headers, body = request(
        server, "POST", "/orbavintel/update/version_win/", body=b"version=1.0&miner=none",
        headers={"Content-Type": "application/x-www-form-urlencoded"})
    assert status == 200
    assert headers["Content-Type"] == "application/json"
    assert body.decode() == ANSWER
    [record] = server.requests("/orbavintel/update/version_win/")
    assert record["method"] == "POST"
    assert record["body"] == "version=1.0&miner=none"
    assert record["body_length"] == 22
    assert record["headers"]["Content-Type"] == "application/x-www-form-urlencoded"
    assert record["query"] == "" and record["faults"] == [] and record["status"] == 200


def test_answer_can_be_replaced_at_run_time(server):
    assert request(server, "POST", "/control/answer", body=b'{"version": "3.0"}')[0] == 200
    assert request(server, "POST", "/orbavintel/update/version_win/", body=b"")[2] == \
        b'{"version": "3.0"}'


def test_without_an_answer_the_check_is_unavailable(tmp_path):
    with LocalUpdateServer(tmp_path) as bare:
        assert request(bare, "POST", "/orbavintel/update/version_win/", body=b"")[0] == 503


def test_serves_files_and_nothing_outside_the_folder(server):
    (server.files / "package.exe").write_bytes(b"MZ payload")
    (server.folder / "secret.txt").write_text("no")
    assert request(server, "GET", "/files/package.exe")[::2] == (200, b"MZ payload")
    assert request(server, "GET", "/files/missing.exe")[0] == 404
    assert request(server, "GET", "/files/..%2Fsecret.txt")[0] == 404
    assert request(server, "GET", "/files/../secret.txt")[0] == 404
    assert request(server, "GET", "/nothing/here")[0] == 404


def test_generated_bytes(server):
    status, headers, body = request(server, "GET", "/bytes/600")
    assert status == 200 and headers["Content-Length"] == "600"
    assert body == bytes(i % 251 for i in range(600))


def test_faults_come_from_leading_path_segments_or_the_query(server):
    status, _, body = request(server, "GET", "/@status=503/bytes/10")
    assert (status, body) == (503, b"status 503\n")
    assert request(server, "GET", "/bytes/10?fault=status=418")[0] == 418
    # Only leading segments are faults.
    assert request(server, "GET", "/bytes/@status=500")[0] == 404
    [record] = server.requests("/@status=503/bytes/10")
    assert record["route"] == "/bytes/10" and record["faults"] == ["status=503"]


def test_challenge_always_and_once(server):
    status, headers, _ = request(server, "GET", "/@auth=negotiate,basic/bytes/1")
    assert status == 401
    assert request(server, "GET", "/@auth=negotiate,basic/bytes/1")[0] == 401
    raw_head, _, _ = raw_exchange(server, "/@auth=negotiate,ntlm,digest,basic/bytes/1")
    challenges = [line for line in raw_head.split("\r\n") if line.startswith("WWW-Authenticate")]
    assert challenges[0] == "WWW-Authenticate: Negotiate"
    assert challenges[1] == "WWW-Authenticate: NTLM"
    assert challenges[2].startswith("WWW-Authenticate: Digest realm=")
    assert challenges[3] == 'WWW-Authenticate: Basic realm="orbavintel"'

    assert request(server, "GET", "/@auth-once=basic/bytes/1")[0] == 401
    assert request(server, "GET", "/@auth-once=basic/bytes/1",
                   headers={"Authorization": "Basic dTpw"})[0] == 200
    assert server.requests("/@auth-once=basic/bytes/1")[1]["headers"]["Authorization"] == \
        "Basic dTpw"
    request(server, "POST", "/control/reset", body=b"")
    assert request(server, "GET", "/@auth-once=basic/bytes/1")[0] == 401

    status, headers, _ = request(server, "GET", "/@proxy-auth-once=basic/bytes/1")
    assert status == 407 and headers["Proxy-Authenticate"] == 'Basic realm="orbavintel"'
    assert request(server, "GET", "/@proxy-auth-once=basic/bytes/1")[0] == 200


def test_body_length_faults(server):
    head, body, ending = raw_exchange(server, "/@no-length/bytes/3000")
    assert "Content-Length" not in head and "Connection: close" in head
    assert body == bytes(i % 251 for i in range(3000)) and ending == "closed"

    head, body, _ = raw_exchange(server, "/@length=9000/bytes/3000")
    assert "Content-Length: 9000" in head and len(body) == 3000

    head, body, ending = raw_exchange(server, "/@truncate=100/bytes/3000")
    assert "Content-Length: 3000" in head and len(body) == 100 and ending == "closed"


def test_reset_mid_body(server):
    head, body, ending = raw_exchange(server, "/@reset=1000/bytes/50000")
    assert "Content-Length: 50000" in head
    assert ending == "reset"
    assert len(body) <= 1000


def test_trickle_and_delay_take_their_time(server):
    start = time.monotonic()
    status, _, body = request(server, "GET", "/@trickle=50/@chunk=100/bytes/500")
    assert status == 200 and len(body) == 500
    assert time.monotonic() - start >= 0.2  # four pauses between five pieces

    start = time.monotonic()
    assert request(server, "GET", "/@delay=300/bytes/1")[0] == 200
    assert time.monotonic() - start >= 0.3


def test_redirect_keeps_the_other_faults(server):
    status, headers, _ = request(server, "GET", "/@redirect/@status=404/files/a.exe")
    assert status == 302 and headers["Location"] == "/@status=404/files/a.exe"
    status, headers, _ = request(server, "GET", "/@redirect=301/bytes/1")
    assert status == 301 and headers["Location"] == "/bytes/1"


def test_log_is_written_before_the_answer(server):
    # A slow answer is already in the log while it is still being sent.
    with socket.create_connection(("127.0.0.1", server.port), timeout=10) as sock:
        sock.sendall(b"GET /@trickle=200/@chunk=10/bytes/100 HTTP/1.1\r\nHost: x\r\n\r\n")
        sock.recv(10)
        assert len(server.requests("/@trickle=200/@chunk=10/bytes/100")) == 1


def test_ends_cleanly_on_sigterm_even_with_a_client_connected(server):
    sock = socket.create_connection(("127.0.0.1", server.port), timeout=10)
    sock.sendall(b"GET /@trickle=1000/@chunk=1/bytes/100 HTTP/1.1\r\nHost: x\r\n\r\n")
    sock.recv(10)
    start = time.monotonic()
    assert server.stop() == 0
    assert time.monotonic() - start < 5
    sock.close()


def test_help_documents_the_fault_conventions():
    completed = subprocess.run([sys.executable, str(SERVER_SCRIPT), "--help"],
                               capture_output=True, text=True, timeout=30)
    assert completed.returncode == 0
    for word in ("--port-file", "--answer", "--files", "--log", "@status=N", "@auth-once",
                 "@no-length", "@reset=N", "@truncate=N", "@redirect", "@trickle=MS"):
        assert word in completed.stdout
