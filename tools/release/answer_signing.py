"""Signing update answers so that orbavintelup built with update keys accepts them.

An update server imports this module and, for every update-check request, sends the header
  X-Orbavintel-Signature: <sign_answer(key, request_body, answer_body)>
with the answer. Needs python3-cryptography.

Wire format (for servers written in other languages):
  message   = b"orbavintel-answer-v1\\n" + SHA-256(request body as received)
                                         + SHA-256(answer body as sent)      (85 bytes)
  signature = ECDSA P-256 with SHA-256 over message, as r then s, 32 bytes each, big-endian
  header    = "keyid=" + key id + ";sig=" + lower-case hex of the 64 signature bytes
  key id    = lower-case hex of the first 8 bytes of the SHA-256 of the public key's DER
              SubjectPublicKeyInfo (16 digits)
The request body carries a fresh "nonce" field, so a signature answers one request only.
"""

import hashlib

from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import ec
from cryptography.hazmat.primitives.asymmetric.utils import decode_dss_signature

HEADER_NAME = "X-Orbavintel-Signature"
MESSAGE_PREFIX = b"orbavintel-answer-v1\n"


def key_id(public_key):
    """The 16 hex digits that name |public_key| in the header."""
    der = public_key.public_bytes(serialization.Encoding.DER,
                                  serialization.PublicFormat.SubjectPublicKeyInfo)
    return hashlib.sha256(der).hexdigest()[:16]


def signed_message(request_body, answer_body):
    """The 85 bytes that the signature covers."""
    return (MESSAGE_PREFIX + hashlib.sha256(request_body).digest() +
            hashlib.sha256(answer_body).digest())


def raw_signature(private_key, message):
    """ECDSA P-256 / SHA-256 over |message| as the 64 bytes r || s."""
    r, s = decode_dss_signature(private_key.sign(message, ec.ECDSA(hashes.SHA256())))
    return r.to_bytes(32, "big") + s.to_bytes(32, "big")


def header_value(key_name, signature):
    return f"keyid={key_name};sig={signature.hex()}"


def sign_answer(private_key, request_body, answer_body):
    """The X-Orbavintel-Signature value for |answer_body| answering |request_body| (bytes)."""
    signature = raw_signature(private_key, signed_message(request_body, answer_body))
    return header_value(key_id(private_key.public_key()), signature)


def load_private_key(path):
    """A P-256 private key from a PEM file (unencrypted, as make-key writes it)."""
    with open(path, "rb") as pem:
        key = serialization.load_pem_private_key(pem.read(), password=None)
    if not isinstance(key, ec.EllipticCurvePrivateKey) or key.curve.name != "secp256r1":
        raise ValueError(f"{path}: not an ECDSA P-256 private key")
    return key


def new_private_key():
    return ec.generate_private_key(ec.SECP256R1())
