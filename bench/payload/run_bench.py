#!/usr/bin/env python3
"""Payload speed: from the start of `installer.exe /s` to the start of its payload.

Times two installers in one run, one carrying a payload as large as the real mini installer
(56,868,864 bytes) and one carrying 800,000 bytes, and `cp` of the large payload into the
same temporary folder. The difference between the two installers is what the payload's size
costs; the benchmark prints it against cp. The large one runs twice a round: on a temporary
folder without the payload's file, and again with the file its first run left (a user's
second run, which pays for truncating it). Seven rounds each, interleaved; medians.

Starting a program under Wine varies by hundreds of milliseconds on a busy machine, which
can hide the payload's cost; so the benchmark also prints the payload write alone, timed
between the two log lines the installer writes around it (Wine stamps each with +timestamp).

    python3 bench/payload/run_bench.py [build folder, default build]
"""

import filecmp
import os
import pathlib
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROUNDS = int(os.environ.get("PAYLOAD_BENCH_ROUNDS", "7"))
SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]
WRITE_START = "InstallerView::PerformOfflineInstall.\\n"
WRITE_END = " --make-chrome-default\\n"
STAMPED = re.compile(r'^(\d+\.\d+):[0-9a-f]+:warn:debugstr:OutputDebugStringA "(.*)"$')


def write_span(stderr):
    """Milliseconds between the installer's log line before the payload write and the one
    after it (Wine's +timestamp stamps each)."""
    stamps = {}
    for line in stderr.splitlines():
        match = STAMPED.match(line.strip())
        if match:
            text = match.group(2)
            for key, marker in (("start", WRITE_START), ("end", WRITE_END)):
                if text.endswith(marker) and key not in stamps:
                    stamps[key] = float(match.group(1))
    return (stamps["end"] - stamps["start"]) * 1000


def prefix_temp(wine_run, env):
    """The Linux path of the prefix's temporary folder, asked of the prefix as the installer
    asks: Wine 8 has C:\\users\\<user>\\Temp, Wine 10 C:\\users\\<user>\\AppData\\Local\\Temp."""
    def ask(*args):
        return subprocess.run([wine_run, *args], env=env, check=True, capture_output=True,
                              text=True).stdout.strip()
    return pathlib.Path(ask("winepath", "-u", ask("cmd", "/c", "echo", "%TEMP%")))


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else SOURCE_DIR / "build").resolve()
    subprocess.run(["cmake", "--build", str(build), "--target", "payload_bench"], check=True,
                   stdout=subprocess.DEVNULL)
    wine_run = str(SOURCE_DIR / "cmake" / "wine-run")
    env = dict(os.environ, WINE_BUILD_DIR=str(build), WINEDEBUG="-all,+timestamp,+debugstr")
    temp = prefix_temp(wine_run, env)
    large_payload = build / "bench" / "payload" / "payload_large.exe"

    with tempfile.TemporaryDirectory() as work:
        clock = pathlib.Path(work) / "clock.txt"
        env["ORBAVINTEL_PAYLOAD_CLOCK"] = "Z:" + str(clock).replace("/", "\\")

        def until_payload(name, keep_previous=False):
            """(process start to payload start, the payload write alone), milliseconds."""
            clock.unlink(missing_ok=True)
            # A first run on a user's machine writes its payload afresh; a second one
            # truncates the file the first left.
            if not keep_previous:
                (temp / "orbavintel_install.exe").unlink(missing_ok=True)
            start = time.time_ns()
            run = subprocess.run([wine_run, str(build / "bin" / f"installer_payload_{name}.exe"),
                                  "/s"], env=env, check=True, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.PIPE, text=True, errors="replace")
            return (int(clock.read_text()) - start) / 1e6, write_span(run.stderr)

        def copy(onto_previous=False):
            target = temp / "payload_bench_copy.exe"
            if onto_previous:
                shutil.copyfile(large_payload, target)
            start = time.perf_counter_ns()
            subprocess.run(["cp", str(large_payload), str(target)], check=True)
            elapsed = (time.perf_counter_ns() - start) / 1e6
            target.unlink()
            return elapsed

        until_payload("small")  # starts the wineserver and warms the page cache
        until_payload("large")
        runs = {"large": [], "again": [], "small": []}
        copies = {"cp": [], "cp again": []}
        for _ in range(ROUNDS):
            runs["large"].append(until_payload("large"))
            runs["again"].append(until_payload("large", keep_previous=True))
            runs["small"].append(until_payload("small"))
            copies["cp"].append(copy())
            copies["cp again"].append(copy(onto_previous=True))
        # A fast copy that is not whole would be worth nothing.
        until_payload("large")
        if not filecmp.cmp(temp / "orbavintel_install.exe", large_payload, shallow=False):
            sys.exit("the installer wrote a payload that differs from the one it carries")

    def median(key, part):
        return statistics.median(r[part] for r in runs[key])

    cp, cp_again = (statistics.median(copies[k]) for k in ("cp", "cp again"))
    size = large_payload.stat().st_size
    print(f"Median of {ROUNDS} rounds, milliseconds")
    for part, title in ((0, "Process start to payload start"),
                        (1, "The payload write alone (between the installer's log lines)")):
        large, again, small = (median(k, part) for k in ("large", "again", "small"))
        print(title)
        print(f"  installer /s, payload {size:,} bytes   {large:8.1f}")
        print(f"    previous run's file present            {again:8.1f}")
        print(f"  installer /s, payload 800,000 bytes      {small:8.1f}")
        print(f"  cost of the large payload                {large - small:8.1f}"
              f"   {(large - small) / cp:5.2f} x cp")
        print(f"    previous run's file present            {again - small:8.1f}"
              f"   {(again - small) / cp:5.2f} x cp")
    print("Reference")
    print(f"  cp of the large payload                  {cp:8.1f}")
    print(f"    onto the previous copy                 {cp_again:8.1f}")
    print("  all rounds: " + "; ".join(
        f"{k} " + " ".join(f"{v[0]:.0f}/{v[1]:.0f}" for v in values)
        for k, values in runs.items()) + "; " + "; ".join(
        f"{k} " + " ".join(f"{v:.0f}" for v in values) for k, values in copies.items()))


if __name__ == "__main__":
    main()
