#!/bin/bash
# Rows per second of zhengding-admin import-catalogue over a generated Jet 4 catalogue.
#   bash scripts/jet_bench.sh [TITLES] [RUNS]
# Builds an optimised zhengding-admin in build-bench-jet/, writes the catalogue once
# (tests/support/jet_writer.py, cached in /tmp/zhengding-jet-bench) and imports it RUNS times
# into a fresh SQLite database, printing the median.
set -euo pipefail
titles=${1:-50000}
runs=${2:-3}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-bench-jet"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZD_TESTS=OFF -DZD_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target zhengding-admin >/dev/null
cache=/tmp/zhengding-jet-bench
mkdir -p "$cache"
jet="$cache/catalogue-$titles-$(sha1sum "$root/tests/support/jet_writer.py" | cut -c1-8).mdb"
[ -f "$jet" ] || python3 "$root/tests/support/jet_writer.py" "$jet" --titles "$titles"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"
printf '[All]\r\nsDbType=Oledb40\r\n' > "$work/bin/syscfg.dbm"
times=()
for _ in $(seq "$runs"); do
  rm -f "$work/init/data.mdb"
  start=$(date +%s.%N)
  "$build/tree/bin/zhengding-admin" --config "$work/bin/syscfg.dbm" import-catalogue "$jet" >"$work/report.txt" 2>/dev/null
  end=$(date +%s.%N)
  times+=("$(echo "$end - $start" | bc)")
done
rows=$(sqlite3 "$work/init/data.mdb" "select (select count(*) from debooks)+(select count(*) from detsnrty)+(select count(*) from publishers)+(select count(*) from debook_categories2)")
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
size=$(stat -c %s "$jet")
printf 'Jet file: %s titles, %d rows, %.1f MB\n' "$titles" "$rows" "$(echo "$size / 1048576" | bc -l)"
printf 'import (median of %d): %.2f s, %.0f rows/s\n' "$runs" "$median" "$(echo "$rows / $median" | bc -l)"
