#!/usr/bin/env python3
"""Turns ECDSA P-256 public keys into the updater's table of answer keys (standard library).

  update_keys.py OUTPUT_HEADER [KEY_FILE ...]

Each KEY_FILE is a SubjectPublicKeyInfo, PEM ("BEGIN PUBLIC KEY") or DER, with the point
uncompressed or compressed (both name the same key, so both are taken). The header gets,
per key, its id (the first 8 bytes of the SHA-256 of the DER) and the raw X and Y
coordinates, big-endian. A file that is not a P-256 public key ends the script with status 1
and one line naming the file and what is wrong with it; nothing is written then. The header
is rewritten only when its text changes, so that a reconfigure rebuilds nothing.

CMake cannot do this by itself: it has no base64 decoder, and its strings cannot hold the
zero bytes of a DER key to hash it.
"""

import base64
import binascii
import hashlib
import pathlib
import re
import sys

# id-ecPublicKey (1.2.840.10045.2.1) and prime256v1 (1.2.840.10045.3.1.7), DER-encoded.
EC_PUBLIC_KEY_OID = bytes.fromhex("2a8648ce3d0201")
P256_OID = bytes.fromhex("2a8648ce3d030107")

# The curve y^2 = x^3 - 3x + b over the prime field of P-256.
P = 0xffffffff00000001000000000000000000000000ffffffffffffffffffffffff
B = 0x5ac635d8aa3a93e7b3ebbd55769886bc651d06b0cc53b0f63bce3c3e27d2604b

# The DER SubjectPublicKeyInfo of a P-256 key up to its uncompressed point (X then Y follow).
# Ids are taken over this form, as every encoder writes it, whatever the file's encoding.
P256_INFO_PREFIX = bytes.fromhex("3059301306072a8648ce3d020106082a8648ce3d03010703420004")

PEM_BEGIN = "-----BEGIN PUBLIC KEY-----"
PEM_END = "-----END PUBLIC KEY-----"


class UnusableKey(Exception):
    """A key file that cannot be used; the text says why."""


def read_element(data, offset, expected_tag, what):
    """One DER element at |offset|: returns (contents, offset after it)."""
    if offset + 2 > len(data) or data[offset] != expected_tag:
        raise UnusableKey(f"not a SubjectPublicKeyInfo ({what} expected)")
    length = data[offset + 1]
    offset += 2
    if length & 0x80:
        count = length & 0x7f
        if count == 0 or count > 2 or offset + count > len(data):
            raise UnusableKey("not a SubjectPublicKeyInfo (bad DER length)")
        length = int.from_bytes(data[offset:offset + count], "big")
        offset += count
    if offset + length > len(data):
        raise UnusableKey("not a SubjectPublicKeyInfo (truncated)")
    return data[offset:offset + length], offset + length


def der_from_file(text):
    """The DER bytes of a PEM or DER key file's contents."""
    if b"-----BEGIN" not in text:
        return text
    # PEM may carry explanatory text before the block.
    pem = text.decode("ascii", errors="replace")
    begin = pem.find(PEM_BEGIN)
    end = pem.find(PEM_END, begin)
    if begin < 0 or end < 0:
        label = re.search(r"-----BEGIN ([^-]*)-----", pem)
        label = label.group(1) if label else "?"
        hint = " (a private key: give its public half)" if "PRIVATE" in label else ""
        raise UnusableKey(f'not a PEM public key: found "BEGIN {label}"{hint}')
    try:
        return base64.b64decode("".join(pem[begin + len(PEM_BEGIN):end].split()),
                                validate=True)
    except binascii.Error as error:
        raise UnusableKey(f"bad base64 in the PEM body ({error})") from None


def parse_public_key(der):
    """(x, y) of a P-256 SubjectPublicKeyInfo; raises UnusableKey for anything else."""
    info, end = read_element(der, 0, 0x30, "SEQUENCE")
    if end != len(der):
        raise UnusableKey("not a SubjectPublicKeyInfo (bytes after the key)")
    algorithm, offset = read_element(info, 0, 0x30, "algorithm SEQUENCE")
    bits, offset = read_element(info, offset, 0x03, "BIT STRING")
    if offset != len(info):
        raise UnusableKey("not a SubjectPublicKeyInfo (extra fields)")
    kind, inner = read_element(algorithm, 0, 0x06, "algorithm OID")
    if kind != EC_PUBLIC_KEY_OID:
        raise UnusableKey(f"not an elliptic-curve key (algorithm OID {kind.hex()})")
    if inner >= len(algorithm) or algorithm[inner] != 0x06:
        raise UnusableKey("elliptic-curve key without a named curve")
    curve, inner = read_element(algorithm, inner, 0x06, "curve OID")
    if curve != P256_OID or inner != len(algorithm):
        raise UnusableKey(f"not a P-256 key (curve OID {curve.hex()})")
    if len(bits) == 34 and bits[0] == 0 and bits[1] in (2, 3):
        x = int.from_bytes(bits[2:34], "big")
        y = compressed_point_y(x, bits[1] & 1)
    elif len(bits) == 66 and bits[0] == 0 and bits[1] == 4:
        x = int.from_bytes(bits[2:34], "big")
        y = int.from_bytes(bits[34:66], "big")
    else:
        raise UnusableKey("not a P-256 point (neither uncompressed nor compressed)")
    if x >= P or y >= P or (y * y - curve_right_side(x)) % P != 0:
        raise UnusableKey("the point is not on the P-256 curve")
    return x.to_bytes(32, "big"), y.to_bytes(32, "big")


def curve_right_side(x):
    return (x * x * x - 3 * x + B) % P


def compressed_point_y(x, parity):
    """The Y of the point with |x| whose lowest bit is |parity|; P = 3 (mod 4), so a square
    root is a single power. A wrong root is caught by the caller's curve check."""
    y = pow(curve_right_side(x), (P + 1) // 4, P)
    return y if y & 1 == parity else (P - y) % P


def load_key(path):
    """(key id hex, x bytes, y bytes) of the key file at |path|."""
    try:
        content = pathlib.Path(path).read_bytes()
    except OSError as error:
        raise UnusableKey(f"cannot be read ({error.strerror})") from None
    x, y = parse_public_key(der_from_file(content))
    return hashlib.sha256(P256_INFO_PREFIX + x + y).hexdigest()[:16], x, y


def c_bytes(data, indent):
    """A brace list of |data|, 16 bytes a line."""
    rows = [", ".join(f"0x{b:02x}" for b in data[i:i + 16]) for i in range(0, len(data), 16)]
    return "{" + (",\n" + " " * (indent + 1)).join(rows) + "}"


def header_text(keys):
    lines = [
        "// Generated by cmake/update_keys.py from the build's update keys; do not edit.",
        "#ifndef UPDATER_UPDATE_KEYS_H_",
        "#define UPDATER_UPDATE_KEYS_H_",
        "",
        "#include <array>",
        "",
        '#include "updater/answer_key.h"',
        "",
        f"inline constexpr std::array<AnswerKey, {len(keys)}> kUpdateKeys = {{{{",
    ]
    for path, (key_id, x, y) in keys:
        lines.append(f"    // {pathlib.Path(path).name}, id {key_id}")
        lines.append(f"    {{{c_bytes(bytes.fromhex(key_id), 5)},")
        lines.append(f"     {c_bytes(x, 5)},")
        lines.append(f"     {c_bytes(y, 5)}}},")
    lines += ["}};", "", "#endif  // UPDATER_UPDATE_KEYS_H_", ""]
    return "\n".join(lines)


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    output = pathlib.Path(argv[1])
    keys = []
    for path in argv[2:]:
        try:
            keys.append((path, load_key(path)))
        except UnusableKey as error:
            print(f"{path}: not an ECDSA P-256 public key: {error}", file=sys.stderr)
            return 1
    first_file = {}
    for path, (key_id, _, _) in keys:
        if key_id in first_file:
            print(f"{path}: the same key as {first_file[key_id]} (id {key_id}) is listed twice",
                  file=sys.stderr)
            return 1
        first_file[key_id] = path
    text = header_text(keys)
    if not output.exists() or output.read_text(encoding="ascii") != text:
        output.parent.mkdir(parents=True, exist_ok=True)
        output.write_text(text, encoding="ascii")
    for path, (key_id, _, _) in keys:
        print(f"{key_id} {path}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
