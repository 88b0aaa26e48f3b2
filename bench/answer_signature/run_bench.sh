#!/usr/bin/env bash
# What checking an update answer's signature adds to an update run, measured two ways in one
# run:
#  1. In the process: answer_signature_bench times the check as the updater makes it (the
#     first one in a process also loads bcrypt.dll), on a typical answer signed by
#     tools/release with test key a, against reading the same answer as JSON.
#  2. Whole runs: orbavintelup.exe (no keys) and orbavintelup_signed.exe, RUNS runs each,
#     interleaved, against the local update server answering "no update" and signing with
#     test key a; median wall time of each.
#
#   bench/answer_signature/run_bench.sh [build folder, default build] [RUNS, default 9]
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$source_dir/build}" && pwd)
runs=${2:-9}
bin=$build/bin
wine_run="$source_dir/cmake/wine-run"
keys=$source_dir/tests/updater/keys
for program in answer_signature_bench orbavintelup orbavintelup_signed; do
  [ -x "$bin/$program.exe" ] || { echo "no $bin/$program.exe: build first" >&2; exit 1; }
done
export WINE_BUILD_DIR="$build"

work=$(mktemp -d)
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
wine_path() { local p=$1; echo "Z:${p//\//\\}"; }
calc() { awk "BEGIN { print $* }"; }

# A typical check: the form of an installation with its digests, and a release's answer.
printf 'version=1.0.0.0&edition=5d1c7a90e3b24f68a0c9e217b4f6d3a8&arch=x64&channel=stable' \
  >"$work/request"
printf '&partner=default&lang=en-US&hash_chrome=%064d&hash_setup=%064d&miner=none' 0 0 \
  >>"$work/request"
printf '&nonce=%s' "$(head -c 16 /dev/urandom | od -An -tx1 | tr -d ' \n')" >>"$work/request"
head -c 100000 /dev/urandom >"$work/package.exe"
python3 "$source_dir/tools/release/release.py" answer --version 2.1.0.0 \
  --package "$work/package.exe" --default http://dl1.example/orbavintel_setup.exe \
  --default http://dl2.example/orbavintel_setup.exe \
  --backup http://backup.example/orbavintel_setup.exe --output "$work/answer.json"
python3 "$source_dir/tools/release/release.py" sign --key "$keys/test_key_a.private.pem" \
  --request "$work/request" --answer "$work/answer.json" >"$work/header"

line=$("$wine_run" "$bin/answer_signature_bench.exe" "$(wine_path "$work/request")" \
  "$(wine_path "$work/answer.json")" "$(wine_path "$work/header")" 500 | tr -d '\r' |
  grep '^signature ')
field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$2"; }
verify=$(field verify_us "$line")
json=$(field json_us "$line")
echo "Signature check of a $(wc -c <"$work/answer.json")-byte answer, in the process" \
  "(median of $(field iterations "$line") calls):"
printf '  %-52s %9.1f us\n' "first check in the process (loads bcrypt.dll)" \
  "$(field cold_us "$line")"
printf '  %-52s %9.1f us\n' "each later check (CNG import and verify, SHA-256)" "$verify"
printf '  %-52s %9.2f us\n' "  of which the message digest (our SHA-256)" \
  "$(field digest_us "$line")"
printf '  %-52s %9.2f us   check / JSON = %.1f\n' "reference: reading the answer as JSON" \
  "$json" "$(calc "$verify / $json")"

# Whole runs against a signing server that answers "no update".
echo '{"version": "0.1"}' >"$work/no_update.json"
python3 "$source_dir/tools/update_server/update_server.py" --port 0 \
  --port-file "$work/port" --answer "$work/no_update.json" \
  --signing-key "$keys/test_key_a.private.pem" 2>/dev/null &
server_pid=$!
while [ ! -s "$work/port" ]; do sleep 0.1; done
server=127.0.0.1:$(cat "$work/port")
"$wine_run" "$bin/orbavintelup.exe" --update-server="$server" >/dev/null 2>&1  # warm up
now() { date +%s.%N; }
median() { printf '%s\n' "$@" | sort -g | sed -n "$(( ($# + 1) / 2 ))p"; }
declare -a plain signed
for _ in $(seq "$runs"); do
  for program in orbavintelup orbavintelup_signed; do
    start=$(now)
    "$wine_run" "$bin/$program.exe" --version=1.0.0.0 --update-server="$server" >/dev/null 2>&1
    elapsed=$(calc "$(now) - $start")
    if [ "$program" = orbavintelup ]; then plain+=("$elapsed"); else signed+=("$elapsed"); fi
  done
done
p=$(median "${plain[@]}")
s=$(median "${signed[@]}")
echo "Whole update runs ending in \"no update\", median of $runs each, seconds:"
printf '  %-52s %9.3f\n' "orbavintelup.exe (no keys, header ignored)" "$p"
printf '  %-52s %9.3f   difference %+.3f s\n' "orbavintelup_signed.exe (verifies the answer)" \
  "$s" "$(calc "$s - $p")"
