#!/usr/bin/env python3
"""Payload speed: from the start of `installer.exe /s` to the start of its payload.

Times two installers in one run, one carrying a payload as large as the real mini installer
(56,868,864 bytes) and one carrying 800,000 bytes, and `cp` of the large payload into the
same temporary folder. The difference between the two installers is what the payload's size
costs; the benchmark prints it against cp. Seven rounds each, interleaved; medians.

    python3 bench/payload/run_bench.py [build folder, default build]
"""

import filecmp
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

ROUNDS = int(os.environ.get("PAYLOAD_BENCH_ROUNDS", "7"))
SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else SOURCE_DIR / "build").resolve()
    subprocess.run(["cmake", "--build", str(build), "--target", "payload_bench"], check=True,
                   stdout=subprocess.DEVNULL)
    wine_run = str(SOURCE_DIR / "cmake" / "wine-run")
    env = dict(os.environ, WINE_BUILD_DIR=str(build), WINEDEBUG="-all")
    temp = build / "wineprefix" / "drive_c" / "users" / os.environ.get("USER", "root") / "Temp"
    large_payload = build / "bench" / "payload" / "payload_large.exe"

    with tempfile.TemporaryDirectory() as work:
        clock = pathlib.Path(work) / "clock.txt"
        env["ORBAVINTEL_PAYLOAD_CLOCK"] = "Z:" + str(clock).replace("/", "\\")

        def until_payload(name):
            clock.unlink(missing_ok=True)
            # Each run writes its payload afresh, as on a user's machine, rather than
            # truncating the one the run before left.
            (temp / "orbavintel_install.exe").unlink(missing_ok=True)
            start = time.time_ns()
            subprocess.run([wine_run, str(build / "bin" / f"installer_payload_{name}.exe"), "/s"],
                           env=env, check=True, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            return (int(clock.read_text()) - start) / 1e6

        def copy():
            target = temp / "payload_bench_copy.exe"
            start = time.perf_counter_ns()
            subprocess.run(["cp", str(large_payload), str(target)], check=True)
            elapsed = (time.perf_counter_ns() - start) / 1e6
            target.unlink()
            return elapsed

        until_payload("small")  # starts the wineserver and warms the page cache
        until_payload("large")
        times = {"large": [], "small": [], "cp": []}
        for _ in range(ROUNDS):
            times["large"].append(until_payload("large"))
            times["small"].append(until_payload("small"))
            times["cp"].append(copy())
        # A fast copy that is not whole would be worth nothing.
        until_payload("large")
        if not filecmp.cmp(temp / "orbavintel_install.exe", large_payload, shallow=False):
            sys.exit("the installer wrote a payload that differs from the one it carries")

    large, small, cp = (statistics.median(times[k]) for k in ("large", "small", "cp"))
    cost = large - small
    size = large_payload.stat().st_size
    print(f"Process start to payload start, median of {ROUNDS} rounds, milliseconds")
    print(f"  installer /s, payload {size:,} bytes   {large:8.1f}")
    print(f"  installer /s, payload 800,000 bytes      {small:8.1f}")
    print(f"  cost of the large payload                {cost:8.1f}")
    print(f"  cp of the large payload (reference)      {cp:8.1f}")
    print(f"  ratio cost / cp                          {cost / cp:8.2f}")
    print("  all rounds: " + "; ".join(
        f"{k} " + " ".join(f"{v:.0f}" for v in values) for k, values in times.items()))


if __name__ == "__main__":
    main()
