#!/bin/bash
# Builds Zhengding with clang, AddressSanitizer and UndefinedBehaviorSanitizer in build-test/,
# with the libFuzzer targets in the same tree (ZD_FUZZ: the core library is compiled once, for
# the tests and the fuzzers), runs every test, then fuzzes each input reader for a short time
# (scripts/fuzz.sh; ZD_FUZZ_SECONDS, default 20).
# Each phase prints its time as it ends ("time: build 412 s"); the closing lines repeat them.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
times=()
started=$(date +%s)
phase_done() {
  local now
  now=$(date +%s)
  times+=("time: $1 $((now - started)) s")
  echo "${times[-1]}"
  started=$now
}

bash "$root/scripts/deps.sh"
phase_done deps
build="$root/build-test"
# A build-test/ set up with another compiler (gcc, a developer's) is configured anew: CMake does
# not change the compiler of a configured folder.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q "^CMAKE_CXX_COMPILER:.*clang++$" "$build/CMakeCache.txt"; then
  echo "$build was configured with another compiler: configuring it anew with clang"
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DZD_SANITIZE=ON \
      -DZD_FUZZ=ON -DZD_BENCH=OFF >/dev/null
phase_done configure
cmake --build "$build" -j"$(nproc)"
phase_done build
export LANG=C.UTF-8
# Twice as many tests at once as there are cores: many of them wait on servers, child processes
# and lock time-outs rather than compute (ZD_TEST_JOBS sets another number).
ctest --test-dir "$build" -j"${ZD_TEST_JOBS:-$((2 * $(nproc)))}" --output-on-failure --timeout 600 2>&1 \
  | tee "$build/ctest.log"
phase_done ctest
# A short fuzzing run of every input reader, built in the same tree; a crash fails the run.
ZD_FUZZ_BUILD="$build" ZD_FUZZ_SEED=${ZD_FUZZ_SEED:-1} \
  bash "$root/scripts/fuzz.sh" "${ZD_FUZZ_SECONDS:-20}" | tee "$build/fuzz.log"
mapfile -t -O ${#times[@]} times < <(grep "^time: " "$build/fuzz.log")
# The test summary and the phase times again, as the closing lines.
grep -E "tests passed|tests failed|Total Test time" "$build/ctest.log" | tail -2
printf '%s\n' "${times[@]}"
