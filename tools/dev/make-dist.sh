#!/usr/bin/env bash
# Packs the zip for Windows users: the DLL and dllcall.exe of x86/ and x64/, the ARM64 DLL
# in arm64/ (its build has no runtime for dllcall.exe), the example script and the README, with CRLF line ends in the texts. The same commit gives the same zip bytes:
# every file gets the commit's time, entries are sorted, no directory entries, no extra
# attributes, fixed permissions and time zone.
#   tools/dev/make-dist.sh [build-root]      -> build/dist/zel.winamp-<version>.zip
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
# Folder in the zip, and the build it comes from.
declare -A builds=([x86]="$build/windows" [x64]="$build/windows-x64" [arm64]="$build/windows-arm64")
declare -A files=([x86]="zel.winamp.dll dllcall.exe" [x64]="zel.winamp.dll dllcall.exe" [arm64]="zel.winamp.dll")
for arch in x86 x64 arm64; do
    for file in ${files[$arch]}; do
        [ -f "${builds[$arch]}/$file" ] ||
            { echo "make-dist: ${builds[$arch]}/$file is missing; run make windows" >&2; exit 1; }
    done
done

# A tag names the release; between tags the commit's short hash does.
version=$(git describe --tags --exact-match 2>/dev/null || git rev-parse --short=10 HEAD)
version=${version#v}
stamp=$(git log -1 --format=%ct)
name="zel.winamp-$version"
out="$build/dist"
stage="$out/stage/$name"
rm -rf "$out/stage"
mkdir -p "$stage"

crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$1"; }
for arch in x86 x64 arm64; do
    mkdir -p "$stage/$arch"
    for file in ${files[$arch]}; do cp "${builds[$arch]}/$file" "$stage/$arch/"; done
done
crlf examples/winamp.mrc >"$stage/winamp.mrc"
sed "s/@VERSION@/$version/g" tools/dev/README.txt.in | crlf /dev/stdin >"$stage/README.txt"

find "$stage" -type f -exec chmod 644 {} +
find "$out/stage" -exec touch -h -d "@$stamp" {} +
zip_path="$(pwd)/$out/$name.zip"
rm -f "$zip_path"
(cd "$out/stage" && find "$name" -type f | LC_ALL=C sort |
    TZ=UTC zip -X -D -q -9 "$zip_path" -@)
rm -rf "$out/stage"
echo "built $out/$name.zip ($(sha256sum "$zip_path" | cut -c1-16))"
