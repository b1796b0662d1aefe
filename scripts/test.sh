#!/bin/bash
# Builds Zhengding with AddressSanitizer and UndefinedBehaviorSanitizer, runs every test, then
# fuzzes each input reader for a short time (scripts/fuzz.sh; ZD_FUZZ_SECONDS, default 20).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/deps.sh"
build="$root/build-test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DZD_SANITIZE=ON -DZD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
export LANG=C.UTF-8
ctest --test-dir "$build" -j"$(nproc)" --output-on-failure --timeout 600 2>&1 | tee "$build/ctest.log"
# A short fuzzing run of every input reader (clang, build-fuzz/); a crash fails the run.
ZD_FUZZ_SEED=${ZD_FUZZ_SEED:-1} bash "$root/scripts/fuzz.sh" "${ZD_FUZZ_SECONDS:-20}"
# The test summary again, as the closing lines.
grep -E "tests passed|tests failed|Total Test time" "$build/ctest.log" | tail -2
