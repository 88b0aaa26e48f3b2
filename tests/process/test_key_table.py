"""The update keys a build takes, through CMake's configure itself: refused files stop it,
naming the file and why; a compressed key is the same key as its uncompressed form."""

import subprocess
import sys

import pytest

from conftest import SOURCE_DIR

from cryptography.hazmat.primitives import serialization
from cryptography.hazmat.primitives.asymmetric import ec

UPDATE_KEYS = SOURCE_DIR / "cmake" / "update_keys.py"
KEYS_DIR = SOURCE_DIR / "tests" / "updater" / "keys"


def run(*args):
    return subprocess.run([sys.executable, *map(str, args)], capture_output=True, text=True,
                          timeout=60)


def public_pem(key):
    return key.public_key().public_bytes(serialization.Encoding.PEM,
                                         serialization.PublicFormat.SubjectPublicKeyInfo)


def compressed_public_der(key):
    """The SubjectPublicKeyInfo of |key| with its point compressed (0x02 or 0x03, then X)."""
    point = key.public_key().public_bytes(serialization.Encoding.X962,
                                          serialization.PublicFormat.CompressedPoint)
    return bytes.fromhex("3039301306072a8648ce3d020106082a8648ce3d030107032200") + point


def test_a_compressed_key_gives_the_id_and_point_of_its_uncompressed_form(tmp_path):
    # One key of each Y parity: the two prefixes pick different square roots.
    keys = {}
    while len(keys) < 2:
        key = ec.generate_private_key(ec.SECP256R1())
        keys.setdefault(compressed_public_der(key)[-33], key)
    for parity, key in keys.items():
        compressed = tmp_path / f"compressed_{parity}.der"
        compressed.write_bytes(compressed_public_der(key))
        uncompressed = tmp_path / f"uncompressed_{parity}.pem"
        uncompressed.write_bytes(public_pem(key))
        tables = []
        for path in (compressed, uncompressed):
            header = tmp_path / f"{path.name}.h"
            result = run(UPDATE_KEYS, header, path)
            assert result.returncode == 0, result.stderr
            coordinates = [line for line in header.read_text().splitlines() if "0x" in line]
            tables.append((result.stdout.split()[0], coordinates))
        assert tables[0] == tables[1]


CONFIGURE_PROJECT = """cmake_minimum_required(VERSION 3.20)
project(update_key_check NONE)
include({source}/cmake/UpdateKeys.cmake)
orbavintel_generate_update_keys(${{CMAKE_BINARY_DIR}}/update_keys.h "${{KEYS}}")
"""


@pytest.mark.parametrize("make_key, reason", [
    (lambda folder, good: (folder / "notes.pem").write_bytes(b"not a key\n"),
     "not an ECDSA P-256 public key: not a SubjectPublicKeyInfo"),
    (lambda folder, good: (folder / "private.pem").write_bytes(
        (KEYS_DIR / "test_key_b.private.pem").read_bytes()),
     "a private key: give its public half"),
    (lambda folder, good: (folder / "copy.pem").write_bytes(good.read_bytes()),
     "the same key as {good} (id 7da7c3169787ac44) is listed twice"),
], ids=["not-a-key", "private", "twice"])
def test_configure_stops_on_a_refused_key_naming_the_file(tmp_path, make_key, reason):
    """Through CMake itself: the message that stops the configure names the file and why."""
    project = tmp_path / "project"
    project.mkdir()
    (project / "CMakeLists.txt").write_text(CONFIGURE_PROJECT.format(source=SOURCE_DIR))
    good = KEYS_DIR / "test_key_a.public.pem"
    make_key(tmp_path, good)
    [bad] = [path for path in tmp_path.iterdir() if path.is_file()]
    result = subprocess.run(["cmake", "-S", project, "-B", project / "build",
                             f"-DKEYS={good};{bad}"], capture_output=True, text=True,
                            timeout=120)
    assert result.returncode != 0
    message = " ".join(result.stderr.split())  # CMake wraps long messages at spaces
    assert f"Update keys refused: {bad}: " in message
    assert reason.format(good=good) in message
    assert not (project / "build" / "update_keys.h").exists()
