#!/usr/bin/env bash
# The ARM64 DLL under Wine for ARM64, in an emulated Debian arm64 root kept under the
# build root, with no player running: client_standin.exe calls every export, then the
# tag queries over the tagged track files of the x64 suite, and stage.py judges the
# answers against the x64 DLL's through the same stand-in and the fixture tables.
#
#   tests/arm64/run.sh [build-root]        (default: build)
#
# Prints what ran ("arm64: ..." lines) and GoogleTest-style results; exits non-zero when a
# check fails. Where the root cannot be made or entered (no network for debootstrap, say)
# it says why and exits 77: nothing ran, and the static check of the ARM64 DLL, which
# tests/run-all.sh runs on every machine, stands alone. ZEL_NO_ARM64=1 switches it off.
set -uo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$(dirname "$here")")
build=$(cd "$build" && pwd)

. "$here/arm64_env.sh"
. "$source_dir/tests/wine/wine_env.sh"
for f in windows-arm64/zel.winamp.dll windows-arm64/client_standin.exe \
         windows-x64/zel.winamp.dll windows-x64/client_standin.exe; do
  [ -f "$build/$f" ] || { echo "missing $build/$f (run: make windows BUILD=...)"; exit 1; }
done

# The same Windows paths in both prefixes: the x64 prefix's C:\zelarm is a link to the
# root's, so both DLLs read the very same files.
install_dir='C:\zelarm\wa\'
fixture_dir='C:\zelarm\fix\'
x64_link=
cleanup() {
  [ -n "$x64_link" ] && rm -f "$x64_link"
  [ -n "$ARM64_ROOT" ] && arm64_wineserver -k 2>/dev/null
  arm64_root_unmount
}
trap cleanup EXIT

started=$SECONDS
if why=$(arm64_unavailable); then echo "arm64: $why"; exit 77; fi
arm64_root_setup "$build" || { echo "arm64: no arm64 root, so no ARM64 Wine stage here"; exit 77; }
echo "arm64: root ready in $((SECONDS - started)) s: $ARM64_ROOT (Debian $ARM64_SUITE arm64, $(chroot "$ARM64_ROOT" dpkg-query -W -f '${Package} ${Version}' wine64))"
work=$ARM64_ROOT/zel
drive=$ARM64_ROOT/root/prefix/drive_c/zelarm
rm -rf "$work" "$drive"
mkdir -p "$work" "$drive/wa" "$drive/fix"
cp "$build/windows-arm64/zel.winamp.dll" "$build/windows-arm64/client_standin.exe" "$work/"
LC_ALL=C.UTF-8 /usr/bin/python3 "$source_dir/tests/wine/make_fixtures.py" "$drive/fix" ||
  { echo "could not make the track files"; exit 1; }
body=$work/body.txt
/usr/bin/python3 "$here/stage.py" calls "$install_dir" "$fixture_dir" "$drive/fix" >"$body" || exit 1
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp'

# The x64 DLL through the x64 stand-in: the answers the ARM64 DLL must give.
wine_env_setup "$build" x64
x64_link=$WINEPREFIX/drive_c/zelarm
rm -rf "$x64_link"
ln -s "$drive" "$x64_link"
set_install_dir "$install_dir"
{ echo "Z:${build//\//\\}\\windows-x64\\zel.winamp.dll"; cat "$body"; } >"$build/arm64-x64-calls.txt"
wine_run "$build/windows-x64/client_standin.exe" "Z:${build//\//\\}\\arm64-x64-calls.txt" \
  >"$build/arm64-x64-answers.txt" 2>&1 </dev/null
wineserver -k 2>/dev/null

# The ARM64 DLL through the ARM64 stand-in, under Wine for ARM64.
started=$SECONDS
{ echo 'Z:\zel\zel.winamp.dll'; cat "$body"; } >"$work/calls.txt"
# A run that Wine did not finish in time is tried once more on a fresh Wine session.
for attempt in 1 2; do
  arm64_wine reg add "$uninstall_key" /v UninstallString /d "\"${install_dir}uninstall.exe\"" /reg:32 /f \
    >/dev/null 2>&1 </dev/null
  arm64_wine 'Z:\zel\client_standin.exe' 'Z:\zel\calls.txt' </dev/null 2>&1 | tr -d '\r' \
    >"$build/arm64-answers.txt"
  [ "${PIPESTATUS[0]}" != 124 ] && break
  echo "arm64: Wine for ARM64 did not finish in time (try $attempt of 2); its session is stopped"
  arm64_wineserver -k 2>/dev/null
done
calls=$(grep -vc '^>' "$body")
echo "arm64: ran the ARM64 DLL under Wine for ARM64 (qemu-aarch64): $calls calls, no player, in $((SECONDS - started)) s"
/usr/bin/python3 "$here/stage.py" check "$body" "$drive/fix" "$build/arm64-answers.txt" "$build/arm64-x64-answers.txt" ||
  { grep -v '^call ' "$build/arm64-answers.txt" | head -5; exit 1; }
