// Adding a file or a stream to the end of the playlist, and playing what was added. The
// path travels as zero-terminated UTF-16, so a name the ANSI code page cannot spell is
// queued whole.
#include "host/call_argument.h"
#include "host/host_command.h"
#include "host/path_argument.h"
#include "player/clock_text.h"
#include "player/control_codes.h"
#include "player/play_entry.h"
#include "player/player_link.h"

namespace zel {
namespace {

// Queues the argument's file and sets *number to the playlist's length after, which is
// the new entry's number. Where `before` is given, the length before is asked first, and
// set there. False, with the error answered, when nothing was queued.
bool QueueFile(char* data, std::int32_t* number, std::int32_t* before = nullptr) {
    CallArgument argument;
    ReadCallArgument(data, argument);
    if (!argument.decoded) {
        AnswerError(data, "the path is not valid text");
        return false;
    }
    const PathKind kind = ClassifyPath(argument, platform::kLongestFilePath);
    if (const char* refusal = PathRefusal(kind)) {
        AnswerError(data, refusal);
        return false;
    }
    if (!PlayerAnswering()) {
        AnswerError(data, PlayerUnreachable());
        return false;
    }
    // Looked up only with a player to take it; the player would add an entry that cannot
    // play. A network path or a stream is passed on unlooked-up, as the player opens it.
    if (kind == PathKind::LocalFile && !LocalFileExists(argument)) {
        AnswerError(data, kNoSuchFile);
        return false;
    }
    if (before != nullptr) *before = SendPlayerRequest(kRequestPlaylistLength, 0);
    argument.text[argument.length] = 0;
    SendPlayerCopyData(kCopyEnqueueFile, argument.text,
                       static_cast<std::uint32_t>((argument.length + 1) * sizeof(char16_t)));
    *number = SendPlayerRequest(kRequestPlaylistLength, 0);
    if (!PlayerAnswering()) {
        AnswerError(data, PlayerUnreachable());
        return false;
    }
    if (*number < 1 || (before != nullptr && *number <= *before)) {
        // The list did not grow: the player ignored the message (before 5.3).
        AnswerError(data, "the player did not add it");
        return false;
    }
    return true;
}

}  // namespace
}  // namespace zel

using namespace zel;

ZEL_HOST_COMMAND(zel_winamp_enqueue) {
    std::int32_t number = 0;
    if (QueueFile(data, &number)) WriteDecimalAnswer(data, number);
    return kResultAnswer;
}

// A playlist file (.m3u, .pls) is queued as all its entries: the first of them plays.
ZEL_HOST_COMMAND(zel_winamp_play_file) {
    std::int32_t before = 0;
    std::int32_t after = 0;
    if (!QueueFile(data, &after, &before)) return kResultAnswer;
    PlayEntryAt(before);
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    WriteDecimalAnswer(data, before + 1);
    return kResultAnswer;
}
