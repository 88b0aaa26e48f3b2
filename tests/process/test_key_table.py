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


def release_key(tmp_path):
    """A public key of a pair whose private half is nowhere near the repository."""
    public = tmp_path / "release.public.pem"
    public.write_bytes(public_pem(ec.generate_private_key(ec.SECP256R1())))
    return public


def real_mini_installer(tmp_path):
    mini = tmp_path / "mini_installer.exe"
    mini.write_bytes(b"MZ stands in for the browser's mini installer")
    return mini


@pytest.mark.parametrize("settings, reason", [
    (lambda tmp: {"ORBAVINTEL_UPDATE_KEYS": KEYS_DIR / "test_key_a.public.pem",
                  "ORBAVINTEL_MINI_INSTALLER": real_mini_installer(tmp)},
     "its private half {keys}/test_key_a.private.pem lies beside it in the repository"),
    (lambda tmp: {"ORBAVINTEL_UPDATE_KEYS": release_key(tmp)},
     "A release build needs ORBAVINTEL_MINI_INSTALLER"),
    (lambda tmp: {"ORBAVINTEL_UPDATE_KEYS": release_key(tmp),
                  "ORBAVINTEL_MINI_INSTALLER": SOURCE_DIR / "tools" / "stand_in_installer"
                  / "stand_in_mini_installer.cc"},
     "ORBAVINTEL_MINI_INSTALLER names the development stand-in"),
    (lambda tmp: {"ORBAVINTEL_UPDATE_KEYS": release_key(tmp),
                  "ORBAVINTEL_MINI_INSTALLER": real_mini_installer(tmp),
                  "ORBAVINTEL_MAX_PACKAGE_BYTES": "1073741824"},
     "must be a whole number from 1 to 536870912"),
], ids=["test-key", "no-mini-installer", "stand-in", "cap-above-digest-limit"])
def test_release_configure_refuses_what_must_never_ship(tmp_path, settings, reason):
    """The release preset's settings, through the real project's configure."""
    defines = [f"-D{name}={value}" for name, value in settings(tmp_path).items()]
    result = subprocess.run(
        ["cmake", "-S", SOURCE_DIR, "-B", tmp_path / "build-release", "-G", "Ninja",
         f"-DCMAKE_TOOLCHAIN_FILE={SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake",
         "-DORBAVINTEL_RELEASE=ON", *defines], capture_output=True, text=True, timeout=300)
    assert result.returncode != 0
    message = " ".join(result.stderr.split())  # CMake wraps long messages at spaces
    assert reason.format(keys=KEYS_DIR) in message, message


def test_release_answer_refuses_an_empty_url(tmp_path):
    package = real_mini_installer(tmp_path)
    result = run(SOURCE_DIR / "tools" / "release" / "release.py", "answer", "--version",
                 "2.1.0.0", "--package", package, "--default", "")
    assert result.returncode != 0
    assert "an empty URL" in result.stderr
