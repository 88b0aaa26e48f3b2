"""The release key tool and the configure-time key table: ids agree, bad key files are named."""

import os
import subprocess
import sys

import pytest

from conftest import SOURCE_DIR

from cryptography.hazmat.primitives import serialization
from cryptography.hazmat.primitives.asymmetric import ec, rsa

RELEASE = SOURCE_DIR / "tools" / "release" / "release.py"
UPDATE_KEYS = SOURCE_DIR / "cmake" / "update_keys.py"


def run(*args, cwd=None):
    return subprocess.run([sys.executable, *map(str, args)], capture_output=True, text=True,
                          cwd=cwd, timeout=60)


def public_pem(key):
    return key.public_key().public_bytes(serialization.Encoding.PEM,
                                         serialization.PublicFormat.SubjectPublicKeyInfo)


def test_make_key_and_the_key_table_agree_on_the_id(tmp_path):
    made = run(RELEASE, "make-key", tmp_path / "release")
    assert made.returncode == 0, made.stderr
    key_id = made.stdout.strip()
    assert len(key_id) == 16
    assert os.stat(tmp_path / "release.private.pem").st_mode & 0o777 == 0o600
    assert run(RELEASE, "make-key", tmp_path / "release").returncode != 0, "key overwritten"

    header = tmp_path / "update_keys.h"
    table = run(UPDATE_KEYS, header, tmp_path / "release.public.pem")
    assert table.returncode == 0, table.stderr
    assert table.stdout.split()[0] == key_id
    assert f"id {key_id}" in header.read_text()


def off_curve_point(tmp_path):
    der = bytearray(ec.generate_private_key(ec.SECP256R1()).public_key().public_bytes(
        serialization.Encoding.DER, serialization.PublicFormat.SubjectPublicKeyInfo))
    der[-1] ^= 1
    return bytes(der)


@pytest.mark.parametrize("content, reason", [
    (lambda _: b"Explanatory text before the block\n" + ec.generate_private_key(
        ec.SECP256R1()).private_bytes(serialization.Encoding.PEM,
                                      serialization.PrivateFormat.PKCS8,
                                      serialization.NoEncryption()),
     "a private key: give its public half"),
    (lambda _: public_pem(ec.generate_private_key(ec.SECP384R1())), "not a P-256 key"),
    (lambda _: public_pem(rsa.generate_private_key(65537, 2048)), "not an elliptic-curve key"),
    (off_curve_point, "the point is not on the P-256 curve"),
    (lambda _: b"-----BEGIN PUBLIC KEY-----\nnot base64!\n-----END PUBLIC KEY-----\n",
     "bad base64"),
    (lambda _: b"just some text\n", "not a SubjectPublicKeyInfo"),
    (lambda _: None, "cannot be read"),
], ids=["private", "p384", "rsa", "off-curve", "bad-base64", "text", "missing"])
def test_a_file_that_is_not_a_p256_public_key_is_refused_with_its_reason(tmp_path, content,
                                                                          reason):
    key = tmp_path / "key.pem"
    data = content(tmp_path)
    if data is not None:
        key.write_bytes(data)
    header = tmp_path / "update_keys.h"
    result = run(UPDATE_KEYS, header, SOURCE_DIR / "tests/updater/keys/test_key_a.public.pem",
                 key)
    assert result.returncode == 1
    assert result.stderr.startswith(f"{key}: not an ECDSA P-256 public key: ")
    assert reason in result.stderr
    assert not header.exists()
