#!/bin/bash
# Builds an optimised Zhengding and runs the benchmarks over generated catalogues.
#   bash scripts/bench.sh [--sizes 10000,100000,300000] [--runs N] [--cache DIR]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DZD_TESTS=OFF -DZD_BENCH=ON >/dev/null
cmake --build "$root/build-bench" -j"$(nproc)" --target zhengding-bench
# The machine may be shared: the load beside the figures tells how far to trust them.
echo "load before: $(uptime)"
"$root/build-bench/bench/zhengding-bench" "$@"
echo "load after:  $(uptime)"
