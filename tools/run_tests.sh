#!/usr/bin/env bash
# Builds everything and runs every test: a second build of the shipped programs compared byte
# for byte, the Windows build's unit and process-level tests under Wine, then the host
# build's sanitizer tests and bounded fuzzing.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install_deps.sh

# Each phase's end, in minutes and seconds since the start, so a slow phase shows.
SECONDS=0
phase() { printf '== %d:%02d %s ==\n' $((SECONDS / 60)) $((SECONDS % 60)) "$1"; }

# The mingw preset configures with an empty key list, whatever a release step left behind.
cmake --preset mingw >/dev/null
cmake --build --preset mingw
cmake --preset host >/dev/null
cmake --build --preset host
phase "both builds done"

# The Windows tests mostly wait on Wine, so the second build of the shipped programs and the
# host tests run beside them; their output is shown when they are done.
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
# The shipped programs, built again in a folder of another name, must come out identical.
{ python3 tools/release/reproduce.py mingw build build-reproduce && phase "done"; } \
  >"$logs/reproduce" 2>&1 &
reproduce=$!
{ ctest --preset host && phase "done"; } >"$logs/host" 2>&1 &
host=$!

status=0
ctest --preset mingw || status=1
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
