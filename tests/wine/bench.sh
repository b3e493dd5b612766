#!/usr/bin/env bash
# Load, scan, memory and tag-query figures of the DLL, measured under Wine, each beside
# its reference from the same run and its goal. Reports only: never fails the build.
#   tests/wine/bench.sh [build-root]
set -uo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/wine_env.sh
build=${1:-build}
arches=$(runnable_arches)
echo "bench: $(for a in $arches; do describe_arch "$a"; done | paste -sd'&' | sed 's/&/, then /')"

bench_arch() {
    wine_env_setup "$build" "$1"
    echo
    echo "== $(describe_arch "$1")"

    work="$WINEPREFIX/drive_c/zelbench"
    rm -rf "$work"
    mkdir -p "$work/music"
    /usr/bin/python3 tools/demo/make_library.py "$work/music" 'C:\zelbench\music' >/dev/null
    /usr/bin/python3 tests/bench/make_playlists.py "$work" 'C:\zelbench\music\02-signal.mp3' 'C:\zelbench\'
    cat "$work"/*/winamp.m3u "$work"/find/Winamp.m3u8 >/dev/null   # into the page cache

    trap 'player_stop; rm -rf "$work"' EXIT
    cd "$WINDOWS_BUILD"
    rows=$(mktemp)
    notes=$(mktemp)
    echo "measuring the load cycle (no player running)..."
    wine_run bench.exe load zel.winamp.dll floor.dll 21 100 >>"$rows" 2>>"$notes"

    echo "measuring scan, memory and tag query (simulated player running)..."
    : >"$work/scenario.txt"
    player_start 'C:\zelbench\scenario.txt' NUL 'C:\zelbench\winamp\'
    wine_run bench.exe player zel.winamp.dll 'C:\zelbench\scenario.txt' \
        'C:\zelbench\big\' 'C:\zelbench\one\' 'C:\zelbench\huge\' 15 >>"$rows" 2>>"$notes"
    wine_run bench.exe tags zel.winamp.dll 'C:\zelbench\scenario.txt' 15 \
        'tag: ID3v2, picture first|zel_winamp_tag_title|C:\zelbench\picture\|zel_winamp_id3_title|C:\zelbench\v1only\' \
        'tag: M4A, moov after 50 MB|zel_winamp_tag_title|C:\zelbench\m4a\|zel_winamp_id3_title|C:\zelbench\v1only\' \
        'tag: FLAC, picture first|zel_winamp_tag_title|C:\zelbench\flac\|zel_winamp_id3_title|C:\zelbench\v1only\' \
        >>"$rows" 2>>"$notes"
    echo "measuring find over 1,000,000 entries (simulated player running)..."
    wine_run bench.exe find zel.winamp.dll 'C:\zelbench\scenario.txt' 'C:\zelbench\find\' 5 \
        >>"$rows" 2>>"$notes"
    echo "measuring insert_next against enqueue (simulated player running)..."
    wine_run bench.exe queue zel.winamp.dll 'C:\zelbench\scenario.txt' 101 >>"$rows" 2>>"$notes"
    echo "measuring the bound on waiting (a prompt, a dialog and a hung player)..."
    wine_run bench.exe wait zel.winamp.dll zel.winamp.unbounded.dll 'C:\zelbench\scenario.txt' \
        'C:\zelbench\one\' 31 >>"$rows" 2>>"$notes"

    echo
    echo "Figures measured under Wine $(wine --version 2>/dev/null | sed 's/^wine-//') on this machine, not on Windows;"
    echo "medians of interleaved runs. Goals are what the DLL should reach on Windows."
    echo
    printf '%-28s %-12s %-26s %-10s %-12s %s\n' figure measured reference ratio goal verdict
    printf '%-28s %-12s %-26s %-10s %-12s %s\n' ------ -------- --------- ----- ---- -------
    while IFS='|' read -r name measured reference figure goal unit; do
        verdict=$(awk -v f="$figure" -v g="$goal" 'BEGIN { print (f <= g) ? "met" : "MISSED" }')
        printf '%-28s %-12s %-26s %-10s %-12s %s\n' "$name" "$measured" "$reference" \
            "$figure" "<= $goal" "$verdict ($unit)"
    done <"$rows"
    echo
    tr -d '\r' <"$notes" | sed 's/^bench: /  /'
    echo "  load cycle: LoadLibrary, LoadDll, zel_winamp_play (no player), FreeLibrary; the floor"
    echo "  DLL has the same two exports, no C runtime and no start files; user32, advapi32 and"
    echo "  msvcrt loaded beforehand. Scan: entry 100,000 minus a one-entry playlist, against"
    echo "  ReadFile of the same 8 MB in 64 KiB blocks. Tag: id3_artist / track_file, same entry."
    echo "  Named entry: track_file with the player answering request 214, at entry 100,000 of a"
    echo "  100,000-entry playlist against entry 1 of a one-entry playlist."
    echo "  find: a 1,000,000-entry Winamp.m3u8 (95 MB: #EXTINF title and path per entry), the"
    echo "  fastest of five calls against the fastest of five ReadFile reads of it in 64 KiB blocks,"
    echo "  interleaved; the player names the file's directory (338) and writes nothing on"
    echo "  request 120 here."
    echo "  insert_next: an address queued after the current entry (the second of three) through"
    echo "  the playlist editor, against enqueue appending it, each a whole client call (load,"
    echo "  LoadDll, call, unload), alternately, the player answering at once. With the first"
    echo "  entry current it asks the list's length too: one message more."
    echo "  entry_file, entry_title: entry 100000 against entry 1, each named by the player (its"
    echo "  path by request 214, its title by 213)."
    echo "  ID3v2: tag_title on an ID3v2-only file whose 2 MB picture precedes the title. M4A:"
    echo "  tag_title on an MP4 file whose moov follows 50 MB of (sparse) mdat. FLAC: tag_title on"
    echo "  a FLAC file whose 2 MB picture block precedes its comments. Each against id3_title on"
    echo "  an ID3v1-only file."
    echo "  Bounded wait: track_file with the player answering at once (one-entry playlist), against"
    echo "  the same DLL built to send with SendMessage, which waits without a bound. Dialog: the"
    echo "  player holds open_file in a 3 s modal loop; hung: it reads no messages, and every"
    echo "  command export is called once (the first ones wait out the second; once the system"
    echo "  counts the player as hung, none waits)."
    rm -f "$rows" "$notes"
    player_stop
    rm -rf "$work"
    cd "$OLDPWD"
}

for arch in $arches; do bench_arch "$arch"; done
exit 0
