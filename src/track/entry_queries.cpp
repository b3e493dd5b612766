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

// The playlist position the argument names, or the current one for no argument. False,
// with the error answered, for anything else.
bool EntryPosition(char* data, std::int32_t* position) {
    CallArgument argument;
    ReadCallArgument(data, argument);
    if (IsEmptyArgument(argument)) {
        *position = SendPlayerRequest(kRequestPlaylistPosition, 0);
        return true;
    }
    std::int32_t number = 0;
    if (!ParseWholeNumber(argument, &number) || number < 1) {
        AnswerError(data, "entry must be a whole number from 1, or nothing for the current one");
        return false;
    }
    *position = number - 1;
    return true;
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
    std::int32_t position = 0;
    if (EntryPosition(data, &position)) AnswerEntryPath(data, position, /*keepWhenNone=*/false);
    return kResultAnswer;
}

ZEL_HOST_COMMAND(zel_winamp_entry_title) {
    std::int32_t position = 0;
    if (!EntryPosition(data, &position)) return kResultAnswer;
    char16_t wide[kDataCapacity];
    const std::ptrdiff_t units = AskPlayerText(kRequestEntryTitle, position, wide, kDataCapacity);
    if (units > 0) {
        WriteWideAnswer(data, wide, Kept(units, kDataCapacity));
        return kResultAnswer;
    }
    char ansi[kDataCapacity];
    const std::ptrdiff_t bytes = AskPlayerText(kRequestEntryTitleAnsi, position, ansi, kDataCapacity);
    if (bytes > 0) {
        WriteAnsiAnswer(data, ansi, Kept(bytes, kDataCapacity));
    } else {
        WriteText(data, "n/a");
    }
    return kResultAnswer;
}
