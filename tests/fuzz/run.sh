#!/usr/bin/env bash
# Builds the libFuzzer targets into <build-dir> and runs each for <seconds>.
#   tests/fuzz/run.sh <build-dir> <seconds>
# Exits 77 when clang++ or its fuzzer runtime is missing, non-zero on any crash. The
# seed corpus is copied to a scratch folder first, so runs never grow the repository's.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-build/fuzz}
seconds=${2:-60}
mkdir -p "$out"
out=$(cd "$out" && pwd)

cxx=${CXX_FUZZ:-clang++}
if ! command -v "$cxx" >/dev/null 2>&1; then
  echo "fuzz: $cxx not found, skipping"
  exit 77
fi
probe="$out/probe"
printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
  >"$probe.cpp"
if ! "$cxx" -fsanitize=fuzzer "$probe.cpp" -o "$probe" >/dev/null 2>&1; then
  echo "fuzz: no libFuzzer runtime for $cxx, skipping"
  exit 77
fi
rm -f "$probe" "$probe.cpp"

flags=(-std=c++17 -O1 -g -Wall -Wextra -Werror -fsanitize=fuzzer,address,undefined
       -fno-sanitize-recover=undefined -I"$root/src")
# Every target links the whole logic (the list the build itself uses) and the simulated
# platform, so a new source file never leaves a target unable to link. Each source is
# compiled once for all targets, again only when it or a header is newer than its object.
mapfile -t common < <(sed -n '/^set(ZEL_LOGIC_SOURCES/,/^)/{/^ *src\//p}' "$root/CMakeLists.txt" | tr -d ' ')
common+=(src/platform/platform_sim.cpp)
newest_header=$(find "$root/src" "$root/tests/fuzz" -name '*.h' -printf '%T@ %p\n' | sort -n | tail -1 | cut -d' ' -f2)
mkdir -p "$out/obj"
objects=()
status=0
for s in "${common[@]}"; do
  object="$out/obj/$(echo "$s" | tr / _).o"
  objects+=("$object")
  if [ ! -f "$object" ] || [ "$root/$s" -nt "$object" ] || [ "$newest_header" -nt "$object" ]; then
    "$cxx" "${flags[@]}" -c "$root/$s" -o "$object" || { echo "fuzz: $s does not build"; status=1; }
  fi
done
[ $status = 0 ] || exit $status

for target in playlist id3v1 id3v2 tag_formats; do
  binary="$out/${target}_fuzzer"
  source="$root/tests/fuzz/${target}_fuzzer.cpp"
  stale=0
  for input in "$source" "$newest_header" "${objects[@]}"; do
    [ "$input" -nt "$binary" ] && stale=1 && break
  done
  if [ ! -x "$binary" ] || [ $stale = 1 ]; then
    echo "fuzz: building $target"
    if ! "$cxx" "${flags[@]}" "$source" "${objects[@]}" -o "$binary"; then
      echo "fuzz: $target does not build"
      status=1
      continue
    fi
  fi

  work="$out/$target.run"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/scratch" "$work/artifacts"
  cp "$root/tests/fuzz/corpus/$target/"* "$work/corpus/" 2>/dev/null || true
  echo "fuzz: running $target for ${seconds}s"
  if ZEL_FUZZ_SCRATCH="$work/scratch" "$binary" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 \
      -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/log" 2>&1; then
    grep -E '^stat::number_of_executed_units' "$work/log" | sed "s/^/fuzz: $target /"
    rm -rf "$work/scratch"
  else
    echo "fuzz: $target FAILED; crash input in $work/artifacts/"
    tail -40 "$work/log"
    status=1
  fi
done
exit $status
