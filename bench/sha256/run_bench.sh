#!/usr/bin/env bash
# Digests one 512 MiB file three ways in one run and prints each time and the ratios:
# GetFileSha256Hex under Wine (SHA extensions when the processor has them), the same with
# the portable compression forced, and `openssl dgst -sha256`. Then the in-memory throughput
# of both compression functions. Each file figure is the best of three runs; the file is
# read once beforehand so that every contender reads it from the page cache.
#
#   bench/sha256/run_bench.sh [build folder, default build]
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$source_dir/build}" && pwd)
bench_exe="$build/bin/sha256_bench.exe"
wine_run="$source_dir/cmake/wine-run"
[ -x "$bench_exe" ] || { echo "no $bench_exe: build the mingw preset first" >&2; exit 1; }
command -v openssl >/dev/null || { echo "openssl is needed as the reference" >&2; exit 1; }
export WINE_BUILD_DIR="$build"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file="$work/bench-512mib.bin"
head -c $((512 * 1024 * 1024)) /dev/urandom >"$file"
cat "$file" >/dev/null
wine_file="Z:${file//\//\\}"

now() { date +%s.%N; }
best() { printf '%s\n' "$@" | sort -g | head -n1; }
calc() { awk "BEGIN { print $* }"; }

# The program's own figure (GetFileSha256Hex alone) and the whole Wine process.
run_wine() {
  local mode=$1 line start end
  start=$(now)
  line=$("$wine_run" "$bench_exe" file "$wine_file" $mode | tr -d '\r' | grep '^file ')
  end=$(now)
  echo "$line wall=$(calc "$end - $start")"
}

field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$2"; }

"$wine_run" "$bench_exe" memory 16 >/dev/null  # start the wineserver before timing

declare -a ossl_t wine_t wine_wall port_t port_wall
for i in 1 2 3; do
  start=$(now)
  ossl_digest=$(openssl dgst -sha256 -r "$file" | cut -d' ' -f1)
  end=$(now)
  ossl_t+=("$(calc "$end - $start")")

  line=$(run_wine "")
  wine_t+=("$(field seconds "$line")")
  wine_wall+=("$(field wall "$line")")
  wine_digest=$(field digest "$line")
  wine_engine=$(field engine "$line")
  wine_peak=$(field peak_mib "$line")

  line=$(run_wine --portable)
  port_t+=("$(field seconds "$line")")
  port_wall+=("$(field wall "$line")")
  port_digest=$(field digest "$line")
  port_engine=$(field engine "$line")
done

upper_ossl=$(tr 'a-f' 'A-F' <<<"$ossl_digest")
if [ "$wine_digest" != "$upper_ossl" ] || [ "$port_digest" != "$upper_ossl" ]; then
  echo "DIGESTS DIFFER: openssl $upper_ossl, $wine_engine $wine_digest," \
       "$port_engine $port_digest" >&2
  exit 1
fi

o=$(best "${ossl_t[@]}")
w=$(best "${wine_t[@]}")
ww=$(best "${wine_wall[@]}")
p=$(best "${port_t[@]}")
pw=$(best "${port_wall[@]}")
echo "512 MiB file, digest $upper_ossl (all three agree); best of 3 runs, seconds"
printf '  %-44s %7.3f\n' "openssl dgst -sha256 (whole process)" "$o"
printf '  %-44s %7.3f  ratio %.2f (whole Wine process %.3f, ratio %.2f)\n' \
  "GetFileSha256Hex under Wine, $wine_engine" "$w" "$(calc "$w / $o")" \
  "$ww" "$(calc "$ww / $o")"
printf '  %-44s %7.3f  ratio %.2f (whole Wine process %.3f, ratio %.2f)\n' \
  "GetFileSha256Hex under Wine, $port_engine" "$p" "$(calc "$p / $o")" \
  "$pw" "$(calc "$pw / $o")"
echo "  (ratio = time / openssl time)"
echo "  peak working set of the Wine process digesting 512 MiB: $wine_peak MiB"

echo "In memory, 256 MiB, best of 3 passes:"
"$wine_run" "$bench_exe" memory 256 | tr -d '\r' | grep '^memory ' |
  while read -r line; do
    printf '  %-16s %8.1f MB/s\n' "$(field engine "$line")" "$(field mb_per_s "$line")"
  done
