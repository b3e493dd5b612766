#!/usr/bin/env bash
# Runs every test suite and ends with one line of passed and failed counts.
#   tests/run-all.sh [build-root]
set -uo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."

passed=0
failed=0
status=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Runs one GoogleTest-style suite, shows its summary and failures, and adds its counts.
# A suite that exits non-zero counts as at least one failure, even if it printed nothing.
suite() {
  local title=$1 rc p f
  shift
  echo "== $title"
  "$@" >"$log" 2>&1
  rc=$?
  grep -E '^\[  (PASSED|FAILED) |Failure|^missing |^(.*: )?error' "$log" || true
  p=$(grep -E '^\[  PASSED  \] [0-9]+ test' "$log" | tail -1 | grep -oE '[0-9]+' | head -1)
  f=$(grep -E '^\[  FAILED  \] [0-9]+ test' "$log" | tail -1 | grep -oE '[0-9]+' | head -1)
  p=${p:-0}
  f=${f:-0}
  if [ "$rc" != 0 ]; then
    [ "$f" = 0 ] && f=1 && tail -20 "$log"
    status=1
  fi
  passed=$((passed + p))
  failed=$((failed + f))
}

suite "native unit tests" "$build/native/unit_tests"
suite "the 32-bit DLL, read without running it" tests/static/check_x86_dll.sh "$build"
suite "the DLL under Wine" tests/wine/run.sh "$build"
suite "the shipped programs under Wine, and the soak" tests/bench/soak.sh "$build"

echo "== fuzzing, short runs"
tests/fuzz/run.sh "$build/fuzz" 20 >"$log" 2>&1
rc=$?
case $rc in
  0) passed=$((passed + 1)); echo "fuzz: no crash" ;;
  77) echo "fuzz: skipped (clang's fuzzer runtime is not installed)" ;;
  *) failed=$((failed + 1)); status=1; tail -30 "$log" ;;
esac

echo "$passed passed, $failed failed"
exit $status
