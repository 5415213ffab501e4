#!/usr/bin/env bash
# Runs the test suite again and again on builds that scripts/test.sh made (build/ and,
# with ASan+UBSan, build-asan/), one after the other, each test once per run (no
# retries), and stops at the first run with a failure. It shows whether the suite
# passes every time, also on a machine kept busy by other work.
#   scripts/repeat-tests.sh [RUNS] [BUILD_DIR...]     (default: 20 build build-asan)
# Exit status 0 when every run of every build passed. The log of each run is kept in
# <build>/repeat/run-N.log.
set -uo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
shift || true
dirs=("$@")
[[ ${#dirs[@]} -gt 0 ]] || dirs=(build build-asan)
jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

for d in "${dirs[@]}"; do
  if [[ ! -f $d/CTestTestfile.cmake ]]; then
    echo "$d holds no built test suite (run scripts/test.sh first)" >&2
    exit 2
  fi
  mkdir -p "$d/repeat"
done

for ((n = 1; n <= runs; ++n)); do
  for d in "${dirs[@]}"; do
    log="$d/repeat/run-$n.log"
    start=$(date +%s)
    if ctest --test-dir "$d" --output-on-failure -j "$jobs" >"$log" 2>&1; then
      summary=$(grep -E 'tests passed' "$log" | tail -1)
      printf '%s run %2d/%d %-11s passed in %4ds  %s (load %s)\n' "$(date +%H:%M:%S)" "$n" \
        "$runs" "$d" "$(($(date +%s) - start))" "$summary" "$(cut -d' ' -f1 /proc/loadavg)"
    else
      printf '%s run %2d/%d %-11s FAILED; see %s\n' "$(date +%H:%M:%S)" "$n" "$runs" "$d" "$log"
      grep -E 'Failed|\*\*\*' "$log" | head -20
      exit 1
    fi
  done
done
echo "all $runs runs of ${dirs[*]} passed"
