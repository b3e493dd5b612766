// For request bots: a song queued to play next, what plays next, and taking an entry out
// of the playlist. The arguments come from strangers in a channel: an entry number is
// taken only within the playlist, a file only by the rules enqueue keeps.
#include "host/call_argument.h"
#include "host/host_command.h"
#include "player/clock_text.h"
#include "player/player_link.h"
#include "player/player_version.h"
#include "player/playlist_editor.h"
#include "player/queue_file.h"
#include "track/track_entry.h"

namespace zel {
namespace {

constexpr std::int32_t kRequestNextEntry = 136;  // from 0, shuffle counted; -1 unknown
constexpr char kEntryNumberError[] = "entry must be a whole number from 1";

// The entry number (from 1, at most the playlist's length) the argument names, and the
// length. False, with the error answered, for anything else.
bool EntryInPlaylist(char* data, const CallArgument& argument, std::int32_t* number,
                     std::int32_t* length) {
    if (!ParseWholeNumber(argument, number) || *number < 1) {
        AnswerError(data, kEntryNumberError);
        return false;
    }
    if (!PlayerAnswering()) {
        AnswerError(data, PlayerUnreachable());
        return false;
    }
    *length = SendPlayerRequest(kRequestPlaylistLength, 0);
    if (!PlayerAnswering()) {
        AnswerError(data, PlayerUnreachable());
        return false;
    }
    if (*number > *length) {
        AnswerError(data, "past the end of the playlist");
        return false;
    }
    return true;
}

// True for an argument that names an entry rather than a file: it starts as a number
// does, and holds no drive, folder or scheme separator.
bool NamesAnEntry(const CallArgument& argument) {
    const char16_t first = argument.length > 0 ? argument.text[0] : u'0';
    if (!(first >= u'0' && first <= u'9') && first != u'+' && first != u'-') return false;
    for (std::size_t i = 0; i < argument.length; ++i) {
        const char16_t c = argument.text[i];
        if (c == u':' || c == u'\\' || c == u'/') return false;
    }
    return true;
}

// No editor window: no player (or one that stopped answering), or one without an editor.
int AnswerMissingEditor(char* data) {
    return AnswerError(data, PlayerAnswering() ? "the player has no playlist editor" : PlayerUnreachable());
}

}  // namespace
}  // namespace zel

using namespace zel;

// Inserts a file, or a copy of entry N, right after the current entry, so that it plays
// next; answers its entry number.
ZEL_HOST_COMMAND(zel_winamp_insert_next) {
    CallArgument argument;
    ReadCallArgument(data, argument);
    TrackEntry entry;
    const char16_t* path = argument.text;
    std::size_t count = argument.length;
    std::int32_t length = -1;
    if (argument.decoded && NamesAnEntry(argument)) {
        std::int32_t number = 0;
        if (!EntryInPlaylist(data, argument, &number, &length)) return kResultAnswer;
        // The entry's file as the player names it (else as its playlist file has it).
        if (LookUpEntry(number - 1, entry) != EntryLookup::Found || entry.length == 0) {
            if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
            return AnswerError(data, "the player names no file for that entry");
        }
        if (entry.length > kLongestInsertPath) {
            return AnswerError(data, "the path is too long for the playlist editor");
        }
        path = entry.path;
        count = entry.length;
    } else if (argument.decoded && argument.length > kLongestInsertPath) {
        return AnswerError(data, "the path is too long for the playlist editor");
    } else if (!AcceptFileArgument(data, argument, kLongestInsertPath)) {
        return kResultAnswer;
    }
    const std::int32_t position = SendPlayerRequest(kRequestPlaylistPosition, 0);
    // An empty list and a list of one both answer position 0; past it, the list holds the
    // current entry and so is not empty. The length is asked only where that tells.
    if (length < 0 && position <= 0) length = SendPlayerRequest(kRequestPlaylistLength, 0);
    const platform::WindowHandle editor = FindEditorWindow();
    if (editor == nullptr) return AnswerMissingEditor(data);
    // After the current entry; in an empty list, first.
    const std::int32_t index =
        length == 0 || position < 0 || (length > 0 && position >= length) ? 0 : position + 1;
    InsertEntry(editor, path, count, index);
    // The player answers nothing that says whether it took the file: one before 5.3, which
    // lacks the insert, takes it no more than it takes enqueue's message. Asking the
    // length again would cost a third of the call, for such players alone.
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    WriteDecimalAnswer(data, index + 1);
    return kResultAnswer;
}

ZEL_HOST_COMMAND(zel_winamp_next_entry) {
    const std::int32_t next = AskFromVersion(kVersionWithNextEntry, kRequestNextEntry);
    if (next < 0 || next == 2147483647) {
        WriteText(data, "n/a");
    } else {
        WriteDecimalAnswer(data, next + 1);
    }
    return kResultAnswer;
}

ZEL_HOST_COMMAND(zel_winamp_remove) {
    CallArgument argument;
    ReadCallArgument(data, argument);
    std::int32_t number = 0;
    std::int32_t length = 0;
    if (!EntryInPlaylist(data, argument, &number, &length)) return kResultAnswer;
    const platform::WindowHandle editor = FindEditorWindow();
    if (editor == nullptr) return AnswerMissingEditor(data);
    DeleteEntry(editor, number - 1);
    const std::int32_t after = SendPlayerRequest(kRequestPlaylistLength, 0);
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    if (after != length - 1) return AnswerError(data, "the player did not remove it");
    WriteDecimalAnswer(data, after);
    return kResultAnswer;
}
