#!/usr/bin/env bash
# Runs the tests on a busy machine: two busy loops keep both processors occupied while the
# whole suite runs three times and the tests labelled `threads` twenty times. Prints one line
# with the failures counted; the exit status is 0 only when there were none.
#   tools/stress-tests.sh            (after tools/build.sh test has built everything)
# FOTOLARK_BUILD_DIR picks another build folder; STRESS_SUITE_RUNS and STRESS_THREAD_RUNS
# change the counts.
set -uo pipefail
cd "$(dirname "$0")/.."
build_dir=${FOTOLARK_BUILD_DIR:-build}
suite_runs=${STRESS_SUITE_RUNS:-3}
thread_runs=${STRESS_THREAD_RUNS:-20}
log_dir=$(mktemp -d "${TMPDIR:-/tmp}/fotolark-stress.XXXXXX")

busy_pids=()
stop_busy_loops() {
  [ ${#busy_pids[@]} -gt 0 ] && kill "${busy_pids[@]}" 2>/dev/null
  wait "${busy_pids[@]}" 2>/dev/null
  busy_pids=()
}
trap stop_busy_loops EXIT
for _ in 1 2; do
  bash -c 'while :; do :; done' &
  busy_pids+=($!)
done

cd "$build_dir" || exit 2
failed_tests=0 failed_runs=0
# One ctest run; counts the tests it reports as failed.
run() {
  local name=$1
  shift
  local log="$log_dir/$name.log"
  if ctest -j "$(nproc)" --timeout 600 --output-on-failure "$@" >"$log" 2>&1; then
    return
  fi
  failed_runs=$((failed_runs + 1))
  local failures
  failures=$(grep -cE '^\s+[0-9]+ - .+ \((Failed|Timeout|SEGFAULT|Subprocess aborted|Exception|Not Run)' "$log")
  failed_tests=$((failed_tests + (failures > 0 ? failures : 1)))
  echo "run $name failed, see $log:" >&2
  grep -E '^\s+[0-9]+ - ' "$log" >&2
}

for i in $(seq "$suite_runs"); do run "suite-$i"; done
for i in $(seq "$thread_runs"); do run "threads-$i" -L threads; done
stop_busy_loops

echo "stress: $failed_tests failures ($failed_runs of $((suite_runs + thread_runs)) runs failed; whole suite x$suite_runs, threads x$thread_runs, two busy loops); logs in $log_dir"
[ "$failed_tests" -eq 0 ]
