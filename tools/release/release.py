#!/usr/bin/env python3
"""Release tooling for signed update answers (needs python3-cryptography).

  release.py make-key NAME
      Writes NAME.private.pem (mode 0600; keep it off the build machines) and
      NAME.public.pem (for ORBAVINTEL_UPDATE_KEYS), and prints the key id.
  release.py answer --version V --package FILE [--run-admin] [--default URL ...]
                    [--backup URL ...] [--output FILE]
      Writes the JSON answer announcing FILE as version V; its SHA-256 is computed here.
  release.py sign --key NAME.private.pem --request BODY_FILE --answer ANSWER_FILE
      Prints the X-Orbavintel-Signature value for ANSWER_FILE answering the request whose
      body (exactly as received) is in BODY_FILE.
"""

import argparse
import hashlib
import json
import os
import pathlib
import sys

from cryptography.hazmat.primitives import serialization

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import answer_signing  # noqa: E402 - found through the line above


def write_new_file(path, data, mode):
    """Creates |path| with |mode| from the start (never readable by others in between)."""
    descriptor = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, mode)
    with os.fdopen(descriptor, "wb") as out:
        out.write(data)
    os.chmod(path, mode)  # the process umask may have narrowed it; never widened


def make_key(args):
    private_path = pathlib.Path(f"{args.name}.private.pem")
    public_path = pathlib.Path(f"{args.name}.public.pem")
    for path in (private_path, public_path):
        if path.exists():
            sys.exit(f"{path} exists already; a key is never overwritten")
    key = answer_signing.new_private_key()
    write_new_file(private_path, key.private_bytes(serialization.Encoding.PEM,
                                                   serialization.PrivateFormat.PKCS8,
                                                   serialization.NoEncryption()), 0o600)
    write_new_file(public_path, key.public_key().public_bytes(
        serialization.Encoding.PEM, serialization.PublicFormat.SubjectPublicKeyInfo), 0o644)
    print(answer_signing.key_id(key.public_key()))


def file_sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as package:
        for chunk in iter(lambda: package.read(1 << 20), b""):
            digest.update(chunk)
    return digest.hexdigest()


def make_answer(args):
    answer = {"version": args.version, "hash": file_sha256(args.package),
              "run_admin": args.run_admin, "default": args.default, "backup": args.backup}
    text = json.dumps(answer, indent=1) + "\n"
    if args.output:
        pathlib.Path(args.output).write_text(text, encoding="utf-8")
    else:
        sys.stdout.write(text)


def sign(args):
    key = answer_signing.load_private_key(args.key)
    request = pathlib.Path(args.request).read_bytes()
    answer = pathlib.Path(args.answer).read_bytes()
    print(answer_signing.sign_answer(key, request, answer))


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)

    command = commands.add_parser("make-key", help="make a signing key pair")
    command.add_argument("name", help="path prefix of the two PEM files")
    command.set_defaults(run=make_key)

    command = commands.add_parser("answer", help="write the JSON answer for a package")
    command.add_argument("--version", required=True)
    command.add_argument("--package", required=True)
    command.add_argument("--run-admin", action="store_true")
    command.add_argument("--default", action="append", default=[], metavar="URL")
    command.add_argument("--backup", action="append", default=[], metavar="URL")
    command.add_argument("--output")
    command.set_defaults(run=make_answer)

    command = commands.add_parser("sign", help="sign an answer for a request body")
    command.add_argument("--key", required=True)
    command.add_argument("--request", required=True)
    command.add_argument("--answer", required=True)
    command.set_defaults(run=sign)

    args = parser.parse_args(argv)
    args.run(args)
    return 0


if __name__ == "__main__":
    sys.exit(main())
