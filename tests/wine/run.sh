#!/usr/bin/env bash
# Runs the real DLL under Wine: the end-to-end tests in wine_tests.exe against the
# simulated player, in a private prefix of the architecture inside the build root.
#
#   [ZEL_ARCH=x86|x64] tests/wine/run.sh <build-root>        (default: build)
#
# Passes GoogleTest's output through and exits non-zero when a test fails. Extra arguments
# go to the test program (e.g. --gtest_filter=Status*).
set -uo pipefail
build=${1:-build}
shift || true
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$build" && pwd)

. "$here/wine_env.sh"
wine_env_setup "$build"
tests_exe=$WINDOWS_BUILD/wine_tests.exe
for f in "$tests_exe" "$WINDOWS_BUILD/zel.winamp.dll" "$WINDOWS_BUILD/fake_player.exe"; do
  [ -f "$f" ] || { echo "missing $f (run: make windows BUILD=...)" >&2; exit 1; }
done

# Track files for the tag tests, in C:\zelfix. The read-only one is also made immutable,
# because root may write a file of mode 0444.
fixtures=$WINEPREFIX/drive_c/zelfix
cleanup() {
  chattr -i "$fixtures/readonly.mp3" 2>/dev/null
  rm -rf "$fixtures" "$WINEPREFIX/drive_c/zeltest"
  # What the launch tests place outside their own folder: probes, traps, an install dir.
  find "$WINEPREFIX/drive_c" -maxdepth 2 \( -iname 'program.exe*' -o -iname 'winamp.exe*' \) \
    -delete 2>/dev/null
  rm -rf "$WINEPREFIX/drive_c/Program Files/WINAMP"
  wineserver -k 2>/dev/null
}
trap cleanup EXIT
cleanup
wineserver -k 2>/dev/null
/usr/bin/python3 "$here/make_fixtures.py" "$fixtures" || { echo "could not make the track files" >&2; exit 1; }
chmod 0444 "$fixtures/readonly.mp3"
if ! chattr +i "$fixtures/readonly.mp3" 2>/dev/null; then
  echo "note: chattr +i not possible here; the read-only file is mode 0444 only"
fi

cd "$WINDOWS_BUILD"
timeout 600 "$ZEL_WINE" "$tests_exe" "$@"
rc=$?
exit $rc
