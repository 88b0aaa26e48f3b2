#!/usr/bin/env python3
"""The wizard's start: from the start of `installer.exe` to its first painted window, at
96 DPI and at 144 DPI (150 %), against a program that only opens and paints a window of the
same size (bare_window.exe), measured in the same run, and optionally against another
installer (an earlier build, to see what a change costs).

    python3 bench/startup/run_bench.py [BUILD] [--reference OTHER/installer.exe]

Runs on a private 2560 x 1600 Xvfb with the installer scripts' prefix, whose display scale
it sets for each series and puts back to 96 DPI at the end. Ten rounds, interleaved; medians.
"""

import argparse
import os
import pathlib
import statistics
import subprocess
import sys
import time

SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(SOURCE_DIR / "tools" / "installer_demo"))
import xsession  # noqa: E402

ROUNDS = int(os.environ.get("STARTUP_BENCH_ROUNDS", "10"))
WINE_RUN = str(SOURCE_DIR / "cmake" / "wine-run")
FIRST_PAINT = {"installer": b"Realloc double buffer on size changed.",
               "bare": b"First paint."}


class Bench:
    def __init__(self, build, display):
        self.build = build
        self.display = display
        self.env = dict(os.environ, WINE_BUILD_DIR=str(build), DISPLAY=display.name,
                        WINEPREFIX_OVERRIDE=str(xsession.x11_prefix(build)),
                        WINEDEBUG="-all,+debugstr", WINE_RUN_STREAM="1", LC_ALL="C.UTF-8")
        self.dpi = None

    def set_dpi(self, dpi):
        if dpi != self.dpi:
            # This ends the prefix's Wine; the start that brings it up again is not timed.
            xsession.set_display_scale(self.build, self.display, dpi)
            self.dpi = dpi
            self.first_paint(self.build / "bin" / "bare_window.exe", "bare", dpi)

    def first_paint(self, program, kind, dpi):
        """Seconds from starting |program| to the debug line of its first paint."""
        self.set_dpi(dpi)
        start = time.perf_counter()
        process = subprocess.Popen([WINE_RUN, str(program)], env=self.env,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.PIPE)
        elapsed = None
        for line in process.stderr:
            if FIRST_PAINT[kind] in line:
                elapsed = time.perf_counter() - start
                break
        if kind == "installer":
            probe = self.build / "bin" / "window_probe.exe"
            subprocess.run([WINE_RUN, str(probe), "post", "OrbavintelInstallerWndClass", "16",
                            "0"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        process.stderr.close()
        process.wait(timeout=30)
        if elapsed is None:
            raise RuntimeError(f"{program} painted nothing")
        return elapsed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default=str(SOURCE_DIR / "build"))
    parser.add_argument("--reference", help="another installer.exe to time the same way")
    options = parser.parse_args()
    build = pathlib.Path(options.build).resolve()
    subprocess.run(["cmake", "--build", str(build), "--target", "installer", "bare_window",
                    "window_probe"], check=True, stdout=subprocess.DEVNULL)
    series = [("bare window", build / "bin" / "bare_window.exe", "bare", 96),
              ("installer at 96 DPI", build / "bin" / "installer.exe", "installer", 96),
              ("installer at 144 DPI", build / "bin" / "installer.exe", "installer", 144)]
    if options.reference:
        reference = pathlib.Path(options.reference).resolve()
        series += [("reference installer at 96 DPI", reference, "installer", 96),
                   ("reference installer at 144 DPI", reference, "installer", 144)]
    # A change of scale starts Wine anew: the series of one scale run one after another.
    series.sort(key=lambda entry: entry[3])
    display = xsession.Display(screen="2560x1600x24")
    bench = Bench(build, display)
    times = {name: [] for name, _, _, _ in series}
    try:
        for _, program, kind, dpi in series:  # starts the wineserver, warms the caches
            bench.first_paint(program, kind, dpi)
        for _ in range(ROUNDS):
            for name, program, kind, dpi in series:
                times[name].append(bench.first_paint(program, kind, dpi))
    finally:
        xsession.set_display_scale(build, display, 96)
        display.close()
    medians = {name: statistics.median(values) for name, values in times.items()}
    bare = medians["bare window"]
    print(f"start to first painted window, median of {ROUNDS} rounds:")
    for name, value in medians.items():
        print(f"  {name:32s} {value:6.3f} s  {value / bare:5.2f}x the bare window")
    at_96 = medians["installer at 96 DPI"]
    print(f"144 DPI against 96 DPI: {medians['installer at 144 DPI'] / at_96:.2f}x")
    if options.reference:
        for dpi in (96, 144):
            reference_median = medians[f"reference installer at {dpi} DPI"]
            ratio = medians[f"installer at {dpi} DPI"] / reference_median
            print(f"installer against the reference installer at {dpi} DPI: {ratio:.2f}x")
    return 0


if __name__ == "__main__":
    sys.exit(main())
