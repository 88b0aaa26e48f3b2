#!/usr/bin/env bash
# Builds everything and runs every test: the Windows build's unit and process-level tests
# under Wine, then the host build's sanitizer tests and bounded fuzzing.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install_deps.sh

cmake --preset mingw >/dev/null
cmake --build --preset mingw
cmake --preset host >/dev/null
cmake --build --preset host

status=0
ctest --preset mingw || status=1
ctest --preset host || status=1
cmake/wine-run --stop build
exit "$status"
