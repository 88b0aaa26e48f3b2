#!/usr/bin/env bash
# Builds everything and runs the main job: the updater under Wine with a client window,
# printing every message the client receives.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install_deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw

bin=build/bin
export WINE_BUILD_DIR=$PWD/build WINE_RUN_STREAM=1
trap 'cmake/wine-run --stop build' EXIT

# Nothing listens on port 9, so the check cannot complete; the client follows the
# updater until a second client tells it to stop.
echo "== updater started by a client window (messages the client received) =="
cmake/wine-run "$bin/client_window.exe" --launch="$bin/orbavintelup.exe" --stay \
  --timeout=6000 -- --version=255.255.255.255 --update-server=127.0.0.1:9 &
follower=$!
sleep 2
echo "== a second client pings and registers =="
cmake/wine-run "$bin/client_window.exe" --ping --register --version=1.2.3.4 --stay --timeout=1500
echo "== a third client tells the updater that the update failed =="
cmake/wine-run "$bin/client_window.exe" --post=10 --timeout=300 || true
wait "$follower" || true
