"""Authenticode-signed programs: release.py sign-program with a throwaway CA that openssl makes
here. osslsigncode verifies them against that CA, a changed byte is caught, and the signed
programs still work: a silent install with its payload whole, a full update run."""

import hashlib
import http.server
import subprocess
import sys
import threading

import pytest

from conftest import BIN_DIR, SOURCE_DIR, exe
from installer_support import (gui_env, installer_prefix, probe, record,  # noqa: F401
                               start_installer)
from test_signed_answers import offer_package, signing_server
from test_update_run import run_update

RELEASE = SOURCE_DIR / "tools" / "release" / "release.py"
PROGRAMS = ["orbavintelup_signed.exe", "installer.exe"]
PUBLISHER = "Orbavintel Throwaway Publisher"

OPENSSL_CONFIG = f"""[req]
distinguished_name = name
prompt = no
[name]
CN = Orbavintel Throwaway Root
[root]
basicConstraints = critical,CA:TRUE
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[publisher]
basicConstraints = CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[time_stamper]
basicConstraints = CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = critical,timeStamping
"""

# openssl ts needs its settings in a section of their own.
TSA_CONFIG = """[tsa]
default_tsa = authority
[authority]
serial = {folder}/tsa.serial
signer_digest = sha256
default_policy = 1.3.6.1.4.1.57264.1.1
digests = sha256
ess_cert_id_alg = sha256
"""


def openssl(folder, *args):
    subprocess.run(["openssl", *args], cwd=folder, check=True, capture_output=True, timeout=60)


@pytest.fixture(scope="module")
def authority(tmp_path_factory):
    """A root CA and a code-signing certificate it issued, valid for two days."""
    folder = tmp_path_factory.mktemp("authority")
    (folder / "openssl.cnf").write_text(OPENSSL_CONFIG)
    openssl(folder, "req", "-x509", "-config", "openssl.cnf", "-extensions", "root",
            "-newkey", "rsa:2048", "-nodes", "-keyout", "root.key", "-out", "root.pem",
            "-days", "2")
    (folder / "tsa.cnf").write_text(TSA_CONFIG.format(folder=folder))
    (folder / "tsa.serial").write_text("01\n")
    for name, subject in (("publisher", PUBLISHER), ("time_stamper", "Throwaway Time Stamps")):
        openssl(folder, "req", "-new", "-config", "openssl.cnf", "-subj", f"/CN={subject}",
                "-newkey", "rsa:2048", "-nodes", "-keyout", f"{name}.key",
                "-out", f"{name}.csr")
        openssl(folder, "x509", "-req", "-in", f"{name}.csr", "-CA", "root.pem",
                "-CAkey", "root.key", "-CAcreateserial", "-days", "2",
                "-extfile", "openssl.cnf", "-extensions", name, "-out", f"{name}.pem")
    return folder


class TimeStampAuthority(http.server.BaseHTTPRequestHandler):
    """Answers RFC 3161 requests with openssl ts, signing with the throwaway authority."""

    folder = None
    requests = 0

    def do_POST(self):
        query = self.folder / "query.tsq"
        query.write_bytes(self.rfile.read(int(self.headers["Content-Length"])))
        reply = self.folder / "reply.tsr"
        openssl(self.folder, "ts", "-reply", "-config", "tsa.cnf", "-queryfile", query,
                "-signer", "time_stamper.pem", "-inkey", "time_stamper.key",
                "-chain", "root.pem", "-out", reply)
        body = reply.read_bytes()
        type(self).requests += 1
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def sign(authority, source, output, *options):
    return subprocess.run([sys.executable, RELEASE, "sign-program",
                           "--cert", authority / "publisher.pem",
                           "--key", authority / "publisher.key", *options, source, output],
                          capture_output=True, text=True, timeout=120)


@pytest.fixture(scope="module")
def signed(authority, tmp_path_factory):
    """The shipped programs, signed: {name: path}."""
    folder = tmp_path_factory.mktemp("signed")
    programs = {}
    for name in PROGRAMS:
        result = sign(authority, exe(name), folder / name)
        assert result.returncode == 0, result.stderr
        programs[name] = folder / name
    return programs


def verify(authority, program):
    return subprocess.run(["osslsigncode", "verify", "-CAfile", authority / "root.pem",
                           "-in", program], capture_output=True, text=True, timeout=120)


@pytest.mark.parametrize("name", PROGRAMS)
def test_signed_program_verifies_and_a_changed_byte_does_not(authority, signed, name, tmp_path):
    good = verify(authority, signed[name])
    assert good.returncode == 0, good.stdout + good.stderr
    assert PUBLISHER in good.stdout
    # Only the headers (checksum, certificate table entry) change; the signature is appended.
    original = (BIN_DIR / name).read_bytes()
    assert signed[name].read_bytes()[0x1000:len(original)] == original[0x1000:]

    changed = bytearray(signed[name].read_bytes())
    changed[0x2000] ^= 0x01  # inside the first section, which the signature covers
    (tmp_path / name).write_bytes(changed)
    bad = verify(authority, tmp_path / name)
    assert bad.returncode != 0, bad.stdout


@pytest.mark.parametrize("case", ["not-a-program", "output-is-input"])
def test_sign_program_refuses_what_it_must_not_sign(authority, tmp_path, case):
    if case == "not-a-program":
        source = tmp_path / "notes.exe"
        source.write_bytes(b"MZ but no PE header follows" + bytes(100))
        output = tmp_path / "signed.exe"
        reason = "not a Windows program"
    else:
        source = tmp_path / "installer.exe"
        source.write_bytes((BIN_DIR / "installer.exe").read_bytes())
        output = source
        reason = "is the input"
    before = hashlib.sha256(source.read_bytes()).hexdigest()
    result = sign(authority, source, output)
    assert result.returncode != 0
    assert reason in result.stderr
    assert hashlib.sha256(source.read_bytes()).hexdigest() == before
    assert sorted(p.name for p in tmp_path.iterdir()) == [source.name]


def test_signed_installer_installs_silently_with_its_payload_whole(signed, start_installer,
                                                                   record, probe):
    installer = start_installer("/s", env=record.env, program=str(signed["installer.exe"]))
    result = installer.wait(timeout=60)
    assert result.returncode == 0, result.debug
    assert record.values("mini_result") == ["installed"]
    written = (probe.temp_dir() / "orbavintel_install.exe").read_bytes()
    assert written == (BIN_DIR / "stand_in_mini_installer.exe").read_bytes()


def test_signed_updater_runs_a_full_update(signed, tmp_path):
    with signing_server(tmp_path) as server:
        offer_package(server)
        run = run_update(server, tmp_path, program=str(signed["orbavintelup_signed.exe"]))
    assert run.messages[-3:] == ["UWM_DOWNLOAD_COMPLETE", "UWM_INSTALLER_LAUNCHED",
                                 "UPDATER_EXIT"]
    assert run.downloads() == ["/files/package.exe"]
    assert len(run.records) == 1


def test_timestamp_url_adds_a_time_stamp_from_that_authority(authority, tmp_path):
    TimeStampAuthority.folder = authority
    server = http.server.HTTPServer(("127.0.0.1", 0), TimeStampAuthority)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    try:
        url = f"http://127.0.0.1:{server.server_port}/"
        result = sign(authority, exe("orbavintelup.exe"), tmp_path / "stamped.exe",
                      "--timestamp-url", url)
    finally:
        server.shutdown()
        server.server_close()
    assert result.returncode == 0, result.stderr
    assert TimeStampAuthority.requests == 1
    checked = subprocess.run(["osslsigncode", "verify", "-CAfile", authority / "root.pem",
                              "-TSA-CAfile", authority / "root.pem",
                              "-in", tmp_path / "stamped.exe"],
                             capture_output=True, text=True, timeout=120)
    assert checked.returncode == 0, checked.stdout + checked.stderr
    # osslsigncode 2.9 names the time-stamping certificate; Debian 12's 2.5 only says that the
    # time stamp's own signature verified against the throwaway root.
    assert ("Throwaway Time Stamps" in checked.stdout
            or "Timestamp Server Signature verification: ok" in checked.stdout), checked.stdout
