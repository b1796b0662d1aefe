#!/bin/bash
# Builds the libFuzzer targets of fuzz/ with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for a fixed time on a copy of its
# seed corpus, as many targets at once as there are cores. A crash, a leak or a failed
# invariant stops that target, keeps the input in <build>/crashes/ and makes the script fail.
#   scripts/fuzz.sh [seconds per target, default 20] [target ...]
# ZD_FUZZ_SEED fixes libFuzzer's random seed (the test run sets it, so that a failure there is
# one the same commit shows again); unset, every run explores new inputs.
# ZD_FUZZ_BUILD names a build folder configured with clang and -DZD_FUZZ=ON to build and run
# the targets in instead (the test run's build-test/, which builds tests and fuzzers in one tree).
# Prints the time of the build and of the runs ("time: fuzz build 30 s").
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-20}
shift || true
all=(ini_reader string_cipher delimited_text detail_page search_condition mail_files report_layout)
targets=("$@")
[ $# -eq 0 ] && targets=("${all[@]}")

started=$(date +%s)
if [ -n "${ZD_FUZZ_BUILD:-}" ]; then
  build=$ZD_FUZZ_BUILD
  grep -q "^ZD_FUZZ:BOOL=ON" "$build/CMakeCache.txt" 2>/dev/null \
    || { echo "fuzz: $build is not configured with -DZD_FUZZ=ON" >&2; exit 1; }
else
  build="$root/build-fuzz"
  cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DZD_FUZZ=ON -DZD_TESTS=OFF \
        -DZD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
        >/dev/null
fi
if ! cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}" >"$build/build.log" 2>&1; then
  tail -50 "$build/build.log"
  echo "fuzz: the targets did not build (log $build/build.log)" >&2
  exit 1
fi

echo "time: fuzz build $(( $(date +%s) - started )) s"
started=$(date +%s)

crashes="$build/crashes"
mkdir -p "$crashes"
export LANG=C.UTF-8
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# One target: fuzz it, then write its verdict (a line for the report, "ok" or "failed" first).
fuzz_one() {
  local t=$1 work="$build/run/$1"
  local log="$work/fuzz.log"
  # TMPDIR: the target's scratch files stay in its own work folder.
  if TMPDIR="$work/tmp" "$build/fuzz/fuzz_$t" "$work/corpus" -max_total_time="$seconds" \
       ${ZD_FUZZ_SEED:+-seed="$ZD_FUZZ_SEED"} \
       -max_len=8192 -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
       -artifact_prefix="$crashes/$t-" >"$log" 2>&1; then
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    echo "ok fuzz $t: ${runs:-?} runs in ${seconds}s, no crash" >"$work/verdict"
  else
    { echo "failed fuzz $t: FAILED (log $log, input in $crashes/)"
      grep -E "ERROR|invariant failed|runtime error|Test unit written" "$log" | head -20 || true
    } >"$work/verdict"
  fi
}
# As many targets at once as there are cores (each runs on one), each for its full time.
jobs_at_once=$(nproc)
running=0
for t in "${targets[@]}"; do
  work="$build/run/$t"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/tmp"
  cp "$root/fuzz/corpus/$t/"* "$work/corpus/"
  if [ "$running" -ge "$jobs_at_once" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  fuzz_one "$t" &
  running=$((running + 1))
done
wait
failed=()
for t in "${targets[@]}"; do
  verdict="$build/run/$t/verdict"
  if [ -f "$verdict" ] && head -1 "$verdict" | grep -q "^ok "; then
    sed -n '1s/^ok //p' "$verdict"
  else
    [ -f "$verdict" ] && sed '1s/^failed //' "$verdict" || echo "fuzz $t: FAILED (no verdict)"
    failed+=("$t")
  fi
done
rm -rf "$build/run"/*/tmp
echo "time: fuzz run $(( $(date +%s) - started )) s"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found faults in: ${failed[*]}" >&2
  exit 1
fi
