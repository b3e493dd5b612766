#!/usr/bin/env bash
# The DLL at work: a simulated player under Wine plays a small library of MP3 files made
# and tagged right here, and every query is called the way a chat script calls it.
#   tests/wine/demo.sh [build-root]
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/wine_env.sh
ZEL_ARCH=${ZEL_ARCH:-$(default_arch)}
echo "demo: $(describe_arch "$ZEL_ARCH")"
wine_env_setup "${1:-build}"

demo="$WINEPREFIX/drive_c/zeldemo"
rm -rf "$demo"
mkdir -p "$demo/music" "$demo/winamp"
/usr/bin/python3 tools/demo/make_library.py "$demo/music" 'C:\zeldemo\music'

# The player is on track 2 of 5, 1.25 s into its 3 s, and writes the demo playlist
# into its install directory whenever it is asked to.
write_scenario() {  # position, play position (ms), length (s), [more settings]
    cat >"$demo/scenario.txt" <<SCENARIO
playlist_source=C:\\zeldemo\\music\\library.m3u
request.124.0=5
request.125.0=$1
request.105.0=$2
request.105.1=$3
request.126.0=44
request.126.1=128
request.126.2=1
${4:-}
SCENARIO
}
write_scenario 1 1250 3
set_install_dir 'C:\zeldemo\winamp\'

trap player_stop EXIT
echo "starting the simulated player under Wine..."
player_start 'C:\zeldemo\scenario.txt' 'C:\zeldemo\player.log' 'C:\zeldemo\winamp\' \
    '2. Zel Ensemble - Signal Path - Winamp'

cd "$WINDOWS_BUILD"
# One $dll() call: the answer as the script gets it.
ask() { wine_run dllcall.exe zel.winamp.dll "zel_winamp_$1" "${@:2}" | sed -n 's/^answer: //p'; }

echo
echo "The demo library (made and tagged at build time):"
sed -n '/^C:/p' "$demo/music/library.m3u" | tr -d '\r' | sed 's/^/  /'
echo
printf '%-30s %s\n' "command" "answer"
printf '%-30s %s\n' "-------" "------"
for query in track_name track_file tag_title tag_artist tag_album tag_year tag_comment \
    tag_genre id3_title track_play_pos track_length playlist_pos playlist_tracks \
    track_samplerate track_bitrate track_channels; do
    printf '%-30s %s\n' "zel_winamp_$query" "$(ask "$query")"
done

# The line /np says, composed exactly as examples/winamp.mrc composes it.
clock() { case "$1" in 00:*) echo "${1#00:}" ;; *) echo "$1" ;; esac; }
now_playing() {
    local artist title song
    artist=$(ask tag_artist)
    title=$(ask tag_title)
    song="$artist - $title"
    if [ "$artist" = n/a ] || [ "$title" = n/a ]; then
        song=$(ask track_name | sed -E 's/^[0-9]+\.[[:space:]]+//; s/[[:space:]]+$//')
    fi
    echo "np: $song ($(clock "$(ask track_play_pos)")/$(clock "$(ask track_length)")) $(ask track_bitrate)kbps"
}
echo
echo "/np says:"
echo "  $(now_playing)"

# Track 4 has no tag: the queries answer n/a and /np falls back to the caption.
write_scenario 3 500 2
wine_run wintool.exe set-caption '4. 04-untagged - Winamp'
echo "  $(now_playing)    (track 4 has no tag: the title comes from the caption)"

# Track 5 has only an ID3v2 tag, in UTF-8, as most files tagged today.
write_scenario 4 2000 3
wine_run wintool.exe set-caption '5. 05-svefn - Winamp'
echo "  $(now_playing)    (track 5 has only an ID3v2 tag)"
echo
echo "Track 5, tag by tag: tag_* read the best tag, id3_* the ID3v1 tag alone:"
for query in tag_title tag_album tag_genre id3_title id3_album; do
    printf '  %-28s %s\n' "zel_winamp_$query" "$(ask "$query")"
done

# Track 6's file name is Japanese, which the playlist file (ANSI) cannot spell: today's
# player names the entry's path itself when asked (request 214), in UTF-16.
unspellable=$(cd "$demo/music" && ls 06-*.mp3)
write_scenario 5 500 2 "text.214.5=C:\\zeldemo\\music\\$unspellable"
echo
echo "Track 6, a file name the code page cannot spell, named by the player itself:"
: >"$demo/player.log"
for query in track_file tag_title tag_artist; do
    printf '  %-28s %s\n' "zel_winamp_$query" "$(ask "$query")"
done
echo "  the player was asked: $(tr -d '\r' <"$demo/player.log" | sort | uniq -c | awk '{print $2 " " $3 " " $4 " (" $1 "x)"}' | paste -sd, | sed 's/,/, /g')"

# A request bot's calls, against a player that keeps the demo list as Winamp does (track
# 2 playing): the whole list searched in one call, an entry queued to play next.
{ tr -d '\r' <"$demo/music/library.m3u" | awk -F, '/^#EXTINF/ { t = substr($0, index($0, ",") + 1) }
    /^C:/ { print "entry=" $0 "|" t }'; echo state=playing; echo position=1; } >"$demo/scenario.txt"
echo
echo "For request bots (the player keeps the list itself here, track 2 playing):"
for call in "find demo band" "insert_next 5" "next_entry" "entry_title 3" "player_version"; do
    printf '  %-28s %s\n' "zel_winamp_$call" "$(ask $call)"
done

# A title with an accent, as each client generation gets it: UTF-8 for mIRC 7 and later,
# the ANSI code page's byte for mIRC 6 (shown as \xNN where it is not UTF-8).
echo
echo "A title with an accent in the caption, as each client gets it:"
wine_run wintool.exe set-caption '5. Beyoncé - Halo - Winamp'
shown() { /usr/bin/python3 -c 'import sys; print(sys.stdin.buffer.read().decode("utf-8", "backslashreplace"))'; }
for client in 7.69 6.35; do
    answer=$(wine_run dllcall.exe --client "$client" zel.winamp.dll zel_winamp_track_name |
        sed -n 's/^answer: //p' | shown)
    printf '  mIRC %-5s %s\n' "$client" "$answer"
done
if [ "$ZEL_ARCH" = x64 ]; then
    echo "  (the x64 DLL answers every client in UTF-8: no 64-bit client reads the code page)"
fi

echo
echo "/wa pause, then /wa play; the player received (and what it played after each):"
: >"$demo/player.log"
wine_run dllcall.exe zel.winamp.dll zel_winamp_pause >/dev/null
wine_run dllcall.exe zel.winamp.dll zel_winamp_play >/dev/null
tr -d '\r' <"$demo/player.log" | sed 's/^/  /'
echo
echo "stopping the player and wineserver"
