#!/bin/bash
# Builds an optimised Zhengding and runs the benchmarks over generated catalogues.
#   bash scripts/bench.sh [--sizes 10000,100000,300000] [--runs N] [--cache DIR]
#   bash scripts/bench.sh --season-orders   only the check for titles ordered this season
#   bash scripts/bench.sh desks [--seconds 60] [--desks 4] [--titles 5] [--engines sqlite,firebird,postgres]
#     several desks making carts and orders on one database for a fixed time
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DZD_TESTS=OFF -DZD_BENCH=ON >/dev/null
program=zhengding-bench
if [ "${1:-}" = desks ]; then
  shift
  program=zhengding-desks-bench
fi
cmake --build "$root/build-bench" -j"$(nproc)" --target "$program"
# The machine may be shared: the load beside the figures tells how far to trust them.
echo "load before: $(uptime)"
"$root/build-bench/bench/$program" "$@"
echo "load after:  $(uptime)"
