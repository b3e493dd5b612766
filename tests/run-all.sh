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
  # 77: the suite could not run here and said why; nothing counts.
  [ "$rc" = 77 ] && { grep -E '^arm64: ' "$log"; return; }
  grep -E '^\[  (PASSED|FAILED) |: Failure|^missing |^(.*: )?error|^arm64: ' "$log" || true
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

# The 32-bit DLL runs under 32-bit Wine where this machine can run 32-bit programs; the
# x64 DLL under 64-bit Wine runs everywhere. Both run the same suite.
. tests/wine/wine_env.sh
if no_x86=$(x86_unavailable); then
  echo "== 32-bit Wine stage: cannot run on this machine: $no_x86"
  echo "   the 32-bit DLL is checked statically instead (format, exports, imports, returns)"
  suite "static check of the 32-bit DLL" tests/static/check_x86_dll.sh "$build"
  arches=(x64)
else
  arches=(x86 x64)
fi
for arch in "${arches[@]}"; do
  export ZEL_ARCH=$arch
  suite "the $arch DLL under Wine" tests/wine/run.sh "$build"
  suite "the shipped $arch programs under Wine, and the soak" tests/bench/soak.sh "$build"
done
unset ZEL_ARCH

# The ARM64 DLL under Wine for ARM64 in an emulated arm64 root, where this machine can make
# and enter one; its static check runs on every machine.
. tests/arm64/arm64_env.sh
if no_arm64=$(arm64_unavailable); then
  echo "== ARM64 Wine stage: cannot run on this machine: $no_arm64"
  echo "   the ARM64 DLL is checked statically only (format, exports, imports, no TLS)"
else
  suite "the ARM64 DLL under Wine for ARM64 (emulated arm64 root, no player)" tests/arm64/run.sh "$build"
fi
suite "static check of the ARM64 DLL" python3 tests/static/check_arm64_dll.py "$build"

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
