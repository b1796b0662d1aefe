#!/bin/bash
# Builds Zhengding with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/deps.sh"
build="$root/build-test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DZD_SANITIZE=ON -DZD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
export LANG=C.UTF-8
ctest --test-dir "$build" -j"$(nproc)" --output-on-failure --timeout 600
