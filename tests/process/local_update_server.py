"""The local update server (tools/update_server) as a test fixture helper."""

import json
import pathlib
import signal
import subprocess
import sys
import time

SERVER_SCRIPT = (pathlib.Path(__file__).resolve().parents[2] / "tools" / "update_server" /
                 "update_server.py")


class LocalUpdateServer:
    """Runs update_server.py on a free port of 127.0.0.1 inside |folder|.

    Files put into |files| are served under /files/; every request lands in |log_path|.
    |options| are more command-line options of the server (such as --signing-key).
    """

    def __init__(self, folder, answer=None, options=()):
        self.folder = pathlib.Path(folder)
        self.files = self.folder / "files"
        self.files.mkdir(parents=True, exist_ok=True)
        self.log_path = self.folder / "requests.jsonl"
        self.port_file = self.folder / "port"
        self.answer_path = self.folder / "answer.json"
        args = [sys.executable, str(SERVER_SCRIPT), "--port", "0", "--port-file",
                str(self.port_file), "--files", str(self.files), "--log", str(self.log_path)]
        if answer is not None:
            self.answer_path.write_text(answer, encoding="utf-8")
            args += ["--answer", str(self.answer_path)]
        args += [str(option) for option in options]
        self.process = subprocess.Popen(args, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        deadline = time.monotonic() + 10
        while not self.port_file.exists():
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("update server did not start: " +
                                   self.process.stderr.read().decode(errors="replace"))
            time.sleep(0.02)
        self.port = int(self.port_file.read_text().strip())
        self.address = f"127.0.0.1:{self.port}"

    def url(self, path):
        return f"http://{self.address}{path}"

    def requests(self, path=None):
        """The logged requests, optionally only those whose path (as sent) is |path|."""
        if not self.log_path.exists():
            return []
        records = [json.loads(line) for line in
                   self.log_path.read_text(encoding="ascii").splitlines() if line]
        return [r for r in records if path is None or r["path"] == path]

    def stop(self, timeout=10):
        """Ends the server with SIGTERM and returns its exit code."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        try:
            return self.process.wait(timeout=timeout)
        finally:
            self.process.stderr.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.process.poll() is None:
            self.stop()
        return False
