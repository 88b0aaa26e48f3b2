#!/usr/bin/env bash
# Builds everything and runs every test: the Windows build's unit and process-level tests
# under Wine, and beside them a second build of the shipped programs compared byte for byte
# and the host build's sanitizer tests and bounded fuzzing.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install_deps.sh

# Each phase's end, in minutes and seconds since the start, so a slow phase shows.
SECONDS=0
phase() { printf '== %d:%02d %s ==\n' $((SECONDS / 60)) $((SECONDS % 60)) "$1"; }

logs=$(mktemp -d)
# A failed step ends the run: the jobs beside it end with it.
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$logs"' EXIT

# The mingw preset configures with an empty key list, whatever a release step left behind.
cmake --preset mingw >/dev/null
cmake --preset host >/dev/null

# The Windows build and then its tests are the longest path, and the tests under Wine mostly
# wait; the rest runs beside them at a lower priority, filling the gaps without slowing them
# down. Its output is shown when it is done.
{ nice -n 10 cmake --build --preset host && nice -n 10 ctest --preset host && phase "done"; } \
  >"$logs/host" 2>&1 &
host=$!
cmake --build --preset mingw
phase "Windows build done"
# The shipped programs, built again in a folder of another name, must come out identical.
{ nice -n 19 python3 tools/release/reproduce.py mingw build build-reproduce && phase "done"; } \
  >"$logs/reproduce" 2>&1 &
reproduce=$!

status=0
# The unit tests run beside the process tests, which use Wine prefixes of their own.
ctest --preset mingw -j 2 || status=1
cmake/wine-run --stop build
phase "Windows tests done"
wait "$reproduce" || status=1
echo "== reproducible programs: a second build in build-reproduce =="
cat "$logs/reproduce"
wait "$host" || status=1
echo "== host tests: sanitizers and bounded fuzzing =="
cat "$logs/host"
phase "all done"
exit "$status"
