#!/usr/bin/env bash
# Builds everything and runs the main job: a full update run of the updater built with the test
# keys (orbavintelup_signed) under Wine against the local update server signing its answers
# with test key a, followed by a test client window, then an install run of
# installer.exe under Xvfb that ends with the stand-in browser running; the screenshots of
# the pages land in build/install-demo/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install_deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw

root=$PWD
bin=$root/build/bin
work=$(mktemp -d)
export WINE_BUILD_DIR=$root/build
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  "$root/cmake/wine-run" --stop "$root/build"
  rm -rf "$work"
}
trap cleanup EXIT

# The release: the stand-in package, announced as version 2.0 with its digest by the release
# tooling; the server signs every answer for the request it received.
keys=$root/tests/updater/keys
mkdir -p "$work/files"
cp "$bin/stand_in_package.exe" "$work/files/orbavintel_setup.exe"
python3 tools/update_server/update_server.py --port 0 --port-file "$work/port" \
  --files "$work/files" --log "$work/requests.jsonl" --answer /dev/null \
  --signing-key "$keys/test_key_a.private.pem" &
server_pid=$!
while [ ! -s "$work/port" ]; do sleep 0.1; done
server=127.0.0.1:$(cat "$work/port")
python3 tools/release/release.py answer --version 2.0.0.0 \
  --package "$work/files/orbavintel_setup.exe" \
  --default "http://$server/files/orbavintel_setup.exe" --output "$work/answer.json"
python3 - "$server" "$work/answer.json" <<'PY'
import sys, urllib.request
urllib.request.urlopen(f"http://{sys.argv[1]}/control/answer",
                       data=open(sys.argv[2], "rb").read(), timeout=5).read()
PY

# A stale package from an earlier run would be started without a download. The temporary
# folder is asked of the prefix, as the updater asks: Wine 8 has C:\users\<user>\Temp,
# Wine 10 C:\users\<user>\AppData\Local\Temp as Windows does.
temp=$("$root/cmake/wine-run" cmd /c echo %TEMP% | tr -d '\r')
temp=$("$root/cmake/wine-run" winepath -u "$temp" | tr -d '\r')
rm -f "$temp/orbavintel_browser_update.exe"
record=$work/package_record.jsonl
mkdir -p "$work/1.0.0.0"

echo "== update run: messages received by the client window =="
(cd "$work" && ORBAVINTEL_STAND_IN_RECORD="Z:${record//\//\\}" WINEDEBUG=-all,+debugstr \
  "$root/cmake/wine-run" "$bin/client_window.exe" --launch="$bin/orbavintelup_signed.exe" \
  --timeout=60000 -- --version=1.0.0.0 --arch=x64 --channel=stable --lang=en-US \
  --update-server="$server" 2>"$work/debug.txt")

echo "== the updater's verdict on the answer's signature (test keys a and b built in) =="
grep -o 'Update answer [^\\]*' "$work/debug.txt"

echo "== requests the update server received =="
python3 - "$work/requests.jsonl" <<'PY'
import json, sys
for line in open(sys.argv[1]):
    r = json.loads(line)
    if r["route"].startswith("/control/"):
        continue
    print(r["method"], r["path"], r["status"], r["body"] if r["method"] == "POST" else "")
PY

echo "== the package's record of its own start =="
for _ in $(seq 100); do [ -s "$record" ] && break; sleep 0.1; done
cat "$record"

echo "== install run: the wizard clicked through under Xvfb =="
bash tools/run_install_demo.sh "$root/build" "$root/build/install-demo"
