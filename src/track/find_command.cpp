// zel_winamp_find: the numbers of the playlist entries whose title or file path holds
// every word of the argument, for request bots ("!find beatles").
//
// The player is asked where it keeps its playlist, then made to write it (request 120),
// and the file it wrote is searched (track/playlist_search.h). A player that goes silent
// (or is refused) before the write is asked for is not there as far as this call is
// concerned; one that does not finish the write in time (a huge list, a busy player)
// leaves the file as it last wrote it, and that file is searched.
#include "host/call_argument.h"
#include "host/host_command.h"
#include "platform/handles.h"
#include "player/clock_text.h"
#include "player/player_link.h"
#include "track/playlist_file.h"
#include "track/playlist_search.h"

namespace zel {
namespace {

// The matches as numbers separated by one blank.
void AnswerMatches(char* data, const SearchMatches& matches) {
    if (matches.count == 0) {
        WriteText(data, "none");
        return;
    }
    char text[kMostMatches * kDecimalCapacity];  // a number and a blank each
    std::size_t n = 0;
    for (std::size_t i = 0; i < matches.count; ++i) {
        if (i != 0) text[n++] = ' ';
        n += FormatDecimal(static_cast<std::int32_t>(matches.entry[i]), text + n);
    }
    WriteText(data, text, n);
}

}  // namespace
}  // namespace zel

using namespace zel;

ZEL_HOST_COMMAND(zel_winamp_find) {
    CallArgument argument;
    ReadCallArgument(data, argument);
    if (!argument.decoded) return AnswerError(data, "the words are not valid text");
    SearchWords words;
    if (!SplitSearchWords(argument.text, argument.length, words)) {
        return AnswerError(data, "give words to look for");
    }
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    // The directory first: a write that outlasts the allowance still leaves the file there.
    char16_t dir[platform::kMaxPath];
    std::size_t dirLength = 0;
    const bool named = PlaylistDirectory(dir, &dirLength);
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    FlushPlaylist();
    PlaylistText text = PlaylistText::Ansi;
    platform::ScopedFile playlist(named ? OpenPlaylistFile(dir, dirLength, &text) : nullptr);
    if (!playlist) return AnswerError(data, "no playlist file to search");
    SearchMatches matches;
    switch (SearchPlaylist(playlist.get(), text, words, matches)) {
        case SearchOutcome::Searched:
            AnswerMatches(data, matches);
            break;
        case SearchOutcome::Unreadable:
            AnswerError(data, "the playlist file cannot be read");
            break;
        case SearchOutcome::NoMemory:
            AnswerError(data, "not enough memory");
            break;
    }
    return kResultAnswer;
}
