#!/usr/bin/env bash
# The shipped programs under Wine, as a test suite with GoogleTest's summary lines:
# dllcall.exe's listing and calls, then the soak of every export (tests/bench/soak.cpp).
#   tests/bench/soak.sh [build-root]
# SOAK_CALLS and SOAK_PLAYER_CALLS ("loaded-once,per-load" calls of each export, without
# and with the simulated player) trade thoroughness for time. Under Wine a message to
# another process costs about half a millisecond, so the defaults keep the player runs to
# a few minutes; `make soak` runs 10,000 calls of every export in every mode.
set -uo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/wine_env.sh
wine_env_setup "${1:-build}"
calls=${SOAK_CALLS:-3000,100}
player_calls=${SOAK_PLAYER_CALLS:-300,30}

work="$WINEPREFIX/drive_c/zelsoak"
rm -rf "$work"
mkdir -p "$work/music" "$work/winamp"
/usr/bin/python3 tools/demo/make_library.py "$work/music" 'C:\zelsoak\music' >/dev/null
cat >"$work/scenario.txt" <<'SCENARIO'
playlist_source=C:\zelsoak\music\library.m3u
request.124.0=4
request.125.0=1
request.105.0=1250
request.105.1=3
request.126.0=44
request.126.1=128
request.126.2=1
SCENARIO
set_install_dir 'C:\zelsoak\winamp\'
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
cd "$WINDOWS_BUILD"

passed=0
failed=0
failures=()
check() {  # name, then a command that succeeds when the case holds
    local name=$1
    shift
    echo "[ RUN      ] DllCall.$name"
    if "$@"; then
        echo "[       OK ] DllCall.$name"
        passed=$((passed + 1))
    else
        echo "[  FAILED  ] DllCall.$name"
        failed=$((failed + 1))
        failures+=("DllCall.$name")
    fi
}

# The listing is the DLL's export table: exactly the names of the export list.
lists_every_export() {
    local want got
    want=$(sed -n 's/^    \([A-Za-z0-9_]*\)$/\1/p' "$OLDPWD/src/host/exports.def" | LC_ALL=C sort)
    got=$(wine_run dllcall.exe zel.winamp.dll | LC_ALL=C sort)
    [ "$want" = "$got" ] || { diff <(echo "$want") <(echo "$got") | head; return 1; }
}

# export | data | expected output lines | expected exit code
cases=(
    "zel_winamp_track_length||answer: 00:00:00/result: 3 (the data buffer holds the answer)|0"
    "zel_winamp_playlist_pos||answer: 1/result: 3 (the data buffer holds the answer)|0"
    "zel_winamp_play|abc def|answer: (none, the data buffer came back as it was passed)/result: 3 (the data buffer holds the answer)|0"
    "zel_winamp_no_such_command|||1"
)
answers_like_the_client() {
    local row export data want code out rc ok=0
    for row in "${cases[@]}"; do
        IFS='|' read -r export data want code <<<"$row"
        # shellcheck disable=SC2086
        out=$(wine dllcall.exe zel.winamp.dll "$export" $data 2>/dev/null | tr -d '\r')
        rc=${PIPESTATUS[0]}
        out=$(echo "$out" | paste -sd/)
        if [ "$out" != "$want" ] || [ "$rc" != "$code" ]; then
            echo "  $export $data: got '$out' (exit $rc), want '$want' (exit $code)"
            ok=1
        fi
    done
    return $ok
}

usage_without_dll() {
    wine dllcall.exe >/dev/null 2>&1
    [ $? = 2 ]
}

# --client names the version reported to LoadDll; a version that is not M.m is bad usage.
client_version_option() {
    local out rc
    out=$(wine_run dllcall.exe --client 6.35 zel.winamp.dll zel_winamp_playlist_pos | head -1)
    [ "$out" = "answer: 1" ] || { echo "  --client 6.35: got '$out'"; return 1; }
    wine dllcall.exe --client six zel.winamp.dll zel_winamp_play >/dev/null 2>&1
    rc=$?
    [ "$rc" = 2 ] || { echo "  --client six: exit $rc, want 2"; return 1; }
}

check ListsEveryExport lists_every_export
check AnswersLikeTheClient answers_like_the_client
check UsageWithoutArguments usage_without_dll
check ClientVersionOption client_version_option

log=$(mktemp)
wine_run soak.exe zel.winamp.dll "$calls" "$player_calls" fake_player.exe \
    'C:\zelsoak\scenario.txt' 'C:\zelsoak\winamp\' | tee "$log" | grep -vE '^\[  (PASSED|FAILED)  \] [0-9]+ test'
soak_rc=${PIPESTATUS[0]}
p=$(grep -E '^\[  PASSED  \] [0-9]+ test' "$log" | grep -oE '[0-9]+' | head -1)
f=$(grep -cE '^\[  FAILED  \] Soak\.[A-Za-z]+$' "$log")
p=${p:-0}
passed=$((passed + p))
if [ "$soak_rc" != 0 ] && [ "$f" = 0 ]; then f=1; failures+=("soak.exe exit $soak_rc"); fi
failed=$((failed + f))
while read -r name; do failures+=("$name"); done < <(grep -oE '^\[  FAILED  \] Soak\.[A-Za-z]+$' "$log" | sed 's/^\[  FAILED  \] //' | sort -u)
rm -f "$log"

echo "[  PASSED  ] $passed tests."
if [ "$failed" -gt 0 ]; then
    echo "[  FAILED  ] $failed tests, listed below:"
    for name in "${failures[@]}"; do echo "[  FAILED  ] $name"; done
    exit 1
fi
exit 0
