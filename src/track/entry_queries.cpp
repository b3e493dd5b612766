// Any playlist entry by its number (from 1), or the current one without a number: its
// file, found as track_file finds the current one, and its title as the player shows it
// in the playlist, read from the player's memory.
#include "host/call_argument.h"
#include "host/host_command.h"
#include "player/control_codes.h"
#include "player/player_link.h"
#include "player/player_text.h"
#include "text/answer_text.h"
#include "track/track_entry.h"

namespace zel {
namespace {

// The entry number the argument names (from 1), or 0 for no argument: the current entry.
// False, with the error answered, for anything else.
bool EntryNumber(char* data, std::int32_t* number) {
    CallArgument argument;
    ReadCallArgument(data, argument);
    *number = 0;
    if (IsEmptyArgument(argument)) return true;
    if (ParseWholeNumber(argument, number) && *number >= 1) return true;
    AnswerError(data, "entry must be a whole number from 1, or nothing for the current one");
    return false;
}

// Keeps the first capacity - 1 characters of a text the player answered with its length.
std::size_t Kept(std::ptrdiff_t length, std::size_t capacity) {
    const auto n = static_cast<std::size_t>(length);
    return n < capacity ? n : capacity - 1;
}

}  // namespace
}  // namespace zel

using namespace zel;

ZEL_HOST_COMMAND(zel_winamp_entry_file) {
    std::int32_t number = 0;
    if (!EntryNumber(data, &number)) return kResultAnswer;
    TrackEntry entry;
    const EntryLookup found = number == 0 ? LookUpCurrentEntry(entry) : LookUpEntry(number - 1, entry);
    AnswerEntryPath(data, found, entry, /*keepWhenNone=*/false);
    return kResultAnswer;
}

ZEL_HOST_COMMAND(zel_winamp_entry_title) {
    std::int32_t number = 0;
    if (!EntryNumber(data, &number)) return kResultAnswer;
    const std::int32_t position =
        number == 0 ? SendPlayerRequest(kRequestPlaylistPosition, 0) : number - 1;
    char16_t wide[kDataCapacity];
    const std::ptrdiff_t units = AskPlayerText(kRequestEntryTitle, position, wide, kDataCapacity);
    if (units > 0) {
        WriteWideAnswer(data, wide, Kept(units, kDataCapacity));
        return kResultAnswer;
    }
    // A byte more than an answer, so that the answer's cut sees that a longer title goes
    // on and keeps no half of a double-byte character.
    char ansi[kDataCapacity + 1];
    const std::ptrdiff_t bytes = AskPlayerText(kRequestEntryTitleAnsi, position, ansi, sizeof ansi);
    if (bytes > 0) {
        WriteAnsiAnswer(data, ansi, Kept(bytes, sizeof ansi));
    } else {
        WriteText(data, "n/a");
    }
    return kResultAnswer;
}
