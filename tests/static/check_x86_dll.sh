#!/usr/bin/env bash
# Vets the 32-bit DLL without running it, for machines that cannot run 32-bit programs:
# its headers, its exports, and that every export pops its arguments on every path; then
# proves the return check on faulty.dll, which must be refused exactly where it is wrong.
#
#   tests/static/check_x86_dll.sh [build-root]        (default: build)
#
# Needs the i686 Windows build (make windows) and python3 with the MinGW binutils.
# Prints GoogleTest-style lines and counts; exits non-zero when a check fails.
set -uo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
for f in "$build/windows/zel.winamp.dll" "$build/windows/faulty.dll"; do
  [ -f "$f" ] || { echo "missing $f (run: make windows BUILD=...)"; exit 1; }
done
exec python3 "$here/check_x86_dll.py" --suite "$build"
