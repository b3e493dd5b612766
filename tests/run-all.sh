#!/usr/bin/env bash
# Runs every test suite and ends with one line of passed and failed counts.
set -uo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."

passed=0
failed=0
status=0

# Adds the counts from a GoogleTest run's output; a run that crashed counts as a failure.
tally() {
  local log=$1 rc=$2 p f
  p=$(grep -E '^\[  PASSED  \] [0-9]+ test' "$log" | tail -1 | grep -oE '[0-9]+' | head -1)
  f=$(grep -E '^\[  FAILED  \] [0-9]+ test' "$log" | tail -1 | grep -oE '[0-9]+' | head -1)
  p=${p:-0}
  f=${f:-0}
  if [ "$rc" != 0 ] && [ "$f" = 0 ]; then f=1; fi
  passed=$((passed + p))
  failed=$((failed + f))
  [ "$rc" = 0 ] || status=1
}

echo "== native unit tests"
log=$(mktemp)
"$build/native/unit_tests" 2>&1 | tee "$log" | grep -E '^\[  (PASSED|FAILED) |FAILED|Failure' || true
tally "$log" "${PIPESTATUS[0]}"

if [ -x tests/wine/run.sh ]; then
  echo "== the DLL under Wine"
  tests/wine/run.sh "$build" 2>&1 | tee "$log" | grep -E '^\[  (PASSED|FAILED) |FAILED|Failure' || true
  tally "$log" "${PIPESTATUS[0]}"
fi

if [ -x tests/fuzz/run.sh ]; then
  echo "== fuzzing, short runs"
  if tests/fuzz/run.sh "$build/fuzz" 20 >"$log" 2>&1; then
    passed=$((passed + 1)); echo "fuzz: no crash"
  else
    rc=$?
    if [ "$rc" = 77 ]; then echo "fuzz: skipped (no fuzzer runtime)"; else
      failed=$((failed + 1)); status=1; tail -30 "$log"; fi
  fi
fi
rm -f "$log"

echo "$passed passed, $failed failed"
exit $status
