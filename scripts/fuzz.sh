#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang's libFuzzer (ASan + UBSan) in
# build-fuzz/ and runs each for SECONDS (default 20) from the seed corpus in
# tests/fuzz/corpus/<target>/. Prints executions and crashes per target; exit status 0
# only when no target crashed. New inputs libFuzzer finds go to build-fuzz/corpus/, so
# the seeds in the source tree stay as they are; crash inputs go to build-fuzz/crashes/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
dir=build-fuzz
jobs=$(nproc 2>/dev/null || echo 2)

targets=(fuzz_codec fuzz_transact fuzz_identity fuzz_table_file fuzz_config_file
         fuzz_memory_image fuzz_sim_spec fuzz_access_codes fuzz_station_list)
if [[ $# -gt 0 ]]; then targets=("$@"); fi

cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DZENTRA_FUZZ=ON -DZENTRA_BUILD_TESTS=OFF -DZENTRA_BUILD_BENCH=OFF \
  -DZENTRA_BUILD_GUI=OFF >/dev/null
mkdir -p "$dir/logs"
if ! cmake --build "$dir" -j "$jobs" --target "${targets[@]}" >"$dir/logs/build.log" 2>&1; then
  tail -n 40 "$dir/logs/build.log"
  exit 1
fi

mkdir -p "$dir/crashes"
# Allocation stacks kept to three frames: the INI library comes without frame pointers,
# and longer stacks unwound through it hold stray words that differ on every run, so
# the sanitizer's store of allocation stacks grows without end (over 2 GB in a
# 20-minute run). A report of a fault still shows its full stack.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:malloc_context_size=3}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=0
printf '%-20s %12s %8s\n' target executions crashes
for t in "${targets[@]}"; do
  work="$dir/corpus/$t"
  mkdir -p "$work"
  seeds=()
  [[ -d tests/fuzz/corpus/$t ]] && seeds=(tests/fuzz/corpus/$t)
  log="$dir/logs/$t.log"
  rc=0
  "$dir/bin/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$dir/crashes/$t-" -print_final_stats=1 \
    "$work" "${seeds[@]}" >"$log" 2>&1 || rc=$?
  runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' | tail -1)
  crashes=0
  if [[ $rc -ne 0 ]]; then
    crashes=1
    failed=1
  fi
  printf '%-20s %12s %8s\n' "$t" "${runs:-?}" "$crashes"
  if [[ $rc -ne 0 ]]; then
    echo "---- $t failed (exit $rc); the end of $log:"
    tail -n 40 "$log"
  fi
done
exit $failed
