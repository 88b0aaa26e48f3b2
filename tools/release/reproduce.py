#!/usr/bin/env python3
"""Builds the shipped programs a second time, in another folder, and compares them byte for
byte with a first build of the same source (README, Reproducing a release).

  reproduce.py PRESET FIRST_BUILD SECOND_BUILD

SECOND_BUILD is configured with the configure preset PRESET and the ORBAVINTEL_* settings
found in FIRST_BUILD's cache (the update keys, the embedded mini installer, the hosts), and
only the shipped programs that FIRST_BUILD holds are built there. Prints one line per
program; for a program that differs, where its bytes differ (PE header field or section) and
whether a build folder's path is in it. Exit status 0 when every program is identical, 1
when one differs, 2 when the second build cannot be made.
"""

import hashlib
import pathlib
import subprocess
import sys
import time

PROGRAMS = ("orbavintelup.exe", "orbavintelup_signed.exe", "installer.exe")
# Settings of the first build that the second must share; the interpreter found by
# find_program is the machine's, not the release's.
NOT_SHARED = {"ORBAVINTEL_PYTHON3"}
CHUNK = 1 << 16


def shared_settings(build):
    """-D options for the ORBAVINTEL_* cache entries of |build|."""
    options = []
    for line in (build / "CMakeCache.txt").read_text(encoding="utf-8").splitlines():
        name, _, rest = line.partition(":")
        kind, _, value = rest.partition("=")
        if (name.startswith("ORBAVINTEL_") and name not in NOT_SHARED and
                kind not in ("INTERNAL", "STATIC")):
            options.append(f"-D{name}:{kind}={value}")
    return options


def run_logged(command, log):
    """Runs |command| with its output in |log|; its last lines are shown when it fails."""
    with open(log, "w") as out:
        status = subprocess.run(command, stdout=out, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL).returncode
    if status != 0:
        tail = pathlib.Path(log).read_text(errors="replace").splitlines()[-30:]
        print("\n".join(tail))
        print(f"reproduce: {' '.join(command[:3])} ... failed ({status}); log in {log}")
    return status == 0


def pe_regions(data):
    """(start, end, name) of the PE header fields that builds are known to vary in, and of
    every section's bytes in the file; empty when |data| is no PE file."""
    if len(data) < 64 or data[:2] != b"MZ":
        return []
    pe = int.from_bytes(data[60:64], "little")
    if data[pe:pe + 4] != b"PE\0\0":
        return []
    optional = pe + 24
    regions = [(pe + 8, pe + 12, "COFF header TimeDateStamp"),
               (optional + 64, optional + 68, "optional header CheckSum"),
               (0, optional + int.from_bytes(data[pe + 20:pe + 22], "little"), "PE headers")]
    table = optional + int.from_bytes(data[pe + 20:pe + 22], "little")
    for index in range(int.from_bytes(data[pe + 6:pe + 8], "little")):
        entry = data[table + 40 * index:table + 40 * (index + 1)]
        name = entry[:8].rstrip(b"\0").decode("ascii", "replace")
        size = int.from_bytes(entry[16:20], "little")
        start = int.from_bytes(entry[20:24], "little")
        regions.append((start, start + size, f"section {name}"))
    return regions


def region_name(regions, offset):
    for start, end, name in regions:
        if start <= offset < end:
            return name
    return "outside every section (appended data)"


def differing_runs(a, b):
    """[start, end) runs of offsets where |a| and |b| differ, over their common length."""
    runs = []
    for base in range(0, min(len(a), len(b)), CHUNK):
        left, right = a[base:base + CHUNK], b[base:base + CHUNK]
        if left == right:
            continue
        for i in range(len(left)):
            if left[i] == right[i]:
                continue
            offset = base + i
            if runs and runs[-1][1] == offset:
                runs[-1][1] = offset + 1
            else:
                runs.append([offset, offset + 1])
    return runs


def explain_difference(name, a, b, folders):
    runs = differing_runs(a, b)
    count = sum(end - start for start, end in runs)
    print(f"DIFFERS: {name}: {len(a)} and {len(b)} bytes, {count} differing bytes in "
          f"{len(runs)} runs")
    regions = pe_regions(a)
    for start, end in runs[:10]:
        print(f"  0x{start:x}..0x{end:x}: {region_name(regions, start)}: "
              f"{a[start:end][:16].hex()} / {b[start:end][:16].hex()}")
    if len(runs) > 10:
        print(f"  ... and {len(runs) - 10} more runs")
    for folder in folders:
        for encoding in ("utf-8", "utf-16-le"):
            for data, which in ((a, "first"), (b, "second")):
                if str(folder).encode(encoding) in data:
                    print(f"  the {which} program holds the path {folder} ({encoding})")


def main(argv):
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    preset = argv[1]
    first, second = (pathlib.Path(path).resolve() for path in argv[2:4])
    if first == second:
        print("reproduce: the second build needs a folder of its own", file=sys.stderr)
        return 2
    programs = [name for name in PROGRAMS if (first / "bin" / name).exists()]
    if not programs:
        print(f"reproduce: {first}/bin holds none of {', '.join(PROGRAMS)}", file=sys.stderr)
        return 2
    source = pathlib.Path(__file__).resolve().parents[2]
    second.mkdir(parents=True, exist_ok=True)
    started = time.monotonic()
    if not run_logged(["cmake", "-S", str(source), "--preset", preset, "-B", str(second),
                       *shared_settings(first)], second / "reproduce-configure.log"):
        return 2
    targets = [name[:-len(".exe")] for name in programs]
    if not run_logged(["cmake", "--build", str(second), "--target", *targets],
                      second / "reproduce-build.log"):
        return 2
    print(f"reproduce: second build of {', '.join(programs)} in {second}: "
          f"{time.monotonic() - started:.0f} s")

    identical = True
    for name in programs:
        a = (first / "bin" / name).read_bytes()
        b = (second / "bin" / name).read_bytes()
        if a == b:
            print(f"identical: {name} ({len(a)} bytes, SHA-256 {hashlib.sha256(a).hexdigest()})")
        else:
            identical = False
            explain_difference(name, a, b, (first, second, source))
    return 0 if identical else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
