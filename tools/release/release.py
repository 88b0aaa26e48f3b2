#!/usr/bin/env python3
"""Release tooling for signed update answers (needs python3-cryptography).

  release.py make-key NAME
      Writes NAME.private.pem (mode 0600; keep it off the build machines) and
      NAME.public.pem (for ORBAVINTEL_UPDATE_KEYS), and prints the key id. The folder of
      NAME is made when missing.
  release.py answer --version V --package FILE --default URL [--default URL ...]
                    [--backup URL ...] [--run-admin] [--output FILE]
      Writes the JSON answer announcing FILE as version V; its SHA-256 is computed here.
  release.py sign-program --cert CERT.pem --key KEY.pem [--chain CHAIN.pem]
                          [--timestamp-url URL] INPUT.exe OUTPUT.exe
      Writes OUTPUT.exe: INPUT.exe with an Authenticode signature (SHA-256) by the
      code-signing certificate CERT.pem, through osslsigncode; with a URL, the signature
      gets an RFC 3161 time stamp from that authority.
  release.py sign --key NAME.private.pem --request BODY_FILE --answer ANSWER_FILE
      Prints the X-Orbavintel-Signature value for ANSWER_FILE answering the request whose
      body (exactly as received) is in BODY_FILE.
"""

import argparse
import hashlib
import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

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
    private_path.parent.mkdir(mode=0o700, parents=True, exist_ok=True)
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
    for url in args.default + args.backup:
        if not url.strip():
            sys.exit("release.py answer: an empty URL: the updater could never download it")
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


def is_pe_program(path):
    """Whether |path| starts like a Windows program: "MZ", and the PE signature where the
    DOS header points."""
    with open(path, "rb") as program:
        dos_header = program.read(64)
        if len(dos_header) < 64 or dos_header[:2] != b"MZ":
            return False
        program.seek(int.from_bytes(dos_header[60:64], "little"))
        return program.read(4) == b"PE\0\0"


def sign_program(args):
    source = pathlib.Path(args.input)
    output = pathlib.Path(args.output)
    try:
        if not is_pe_program(source):
            sys.exit(f"{source}: not a Windows program (no PE header); nothing signed")
    except OSError as error:
        sys.exit(f"{source}: cannot be read ({error.strerror})")
    if output.exists() and os.path.samefile(source, output):
        sys.exit(f"{output} is the input: the signed program is written beside it, never over "
                 "it")
    tool = shutil.which("osslsigncode")
    if not tool:
        sys.exit("osslsigncode is not installed (Debian package osslsigncode)")
    output.parent.mkdir(parents=True, exist_ok=True)
    # Written into a folder of its own first, so that a failed signing leaves no half program
    # and no name chosen here can be the input's.
    with tempfile.TemporaryDirectory(dir=output.parent, prefix=".signing-") as folder:
        partial = pathlib.Path(folder) / output.name
        command = [tool, "sign", "-certs", args.cert, "-key", args.key, "-h", "sha256",
                   "-in", str(source), "-out", str(partial)]
        if args.chain:
            command += ["-ac", args.chain]
        if args.timestamp_url:
            command += ["-ts", args.timestamp_url]
        signed = subprocess.run(command, capture_output=True, text=True)
        if signed.returncode != 0 or not partial.exists():
            sys.exit(f"osslsigncode failed ({signed.returncode}):\n"
                     f"{signed.stdout}{signed.stderr}".rstrip())
        os.replace(partial, output)
    print(f"{output} signed, SHA-256 {file_sha256(output)}")


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
    # The updater refuses an offer without a download URL, so one is required here.
    command.add_argument("--default", action="append", required=True, metavar="URL")
    command.add_argument("--backup", action="append", default=[], metavar="URL")
    command.add_argument("--output")
    command.set_defaults(run=make_answer)

    command = commands.add_parser("sign", help="sign an answer for a request body")
    command.add_argument("--key", required=True)
    command.add_argument("--request", required=True)
    command.add_argument("--answer", required=True)
    command.set_defaults(run=sign)

    command = commands.add_parser("sign-program",
                                  help="give a program an Authenticode signature")
    command.add_argument("--cert", required=True, help="code-signing certificate (PEM)")
    command.add_argument("--key", required=True, help="its private key (PEM)")
    command.add_argument("--chain", help="intermediate certificates to embed (PEM)")
    command.add_argument("--timestamp-url", help="RFC 3161 time-stamp authority")
    command.add_argument("input")
    command.add_argument("output")
    command.set_defaults(run=sign_program)

    args = parser.parse_args(argv)
    args.run(args)
    return 0


if __name__ == "__main__":
    sys.exit(main())
