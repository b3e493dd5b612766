// zel_winamp_track_file: the current track's path, or "NADA" when the playlist ends
// before the current position.
#include "host/host_command.h"
#include "player/player_link.h"
#include "tags/playlist.h"
#include "text/answer_text.h"

namespace zel {
namespace {
constexpr char kNoEntry[] = "NADA";
}
}  // namespace zel

ZEL_HOST_COMMAND(zel_winamp_track_file) {
    using namespace zel;
    // The position is asked before the flush, as the player has always been asked.
    const std::int32_t position = SendPlayerRequest(kRequestPlaylistPosition, 0);
    FlushPlaylist();
    char entry[kDataCapacity];
    std::size_t length = 0;
    switch (ReadEntryAtPosition(position, entry, sizeof entry, &length)) {
        case EntryLookup::NoPlaylist:
            break;  // no playlist to read: the buffer stays as the client passed it
        case EntryLookup::Found:
            WriteAnsiAnswer(data, entry, length);
            break;
        case EntryLookup::PastEnd:
            WriteText(data, kNoEntry);
            break;
    }
    return kResultAnswer;
}
