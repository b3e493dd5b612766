// zel_winamp_track_file: the current track's path, or "NADA" when the playlist ends
// before the current position.
#include "host/host_command.h"
#include "track/track_entry.h"
#include "text/answer_text.h"

namespace zel {
namespace {
constexpr char kNoEntry[] = "NADA";
}
}  // namespace zel

ZEL_HOST_COMMAND(zel_winamp_track_file) {
    using namespace zel;
    TrackEntry entry;
    switch (LookUpCurrentEntry(entry)) {
        case EntryLookup::NoPlaylist:
            break;  // no playlist to read: the buffer stays as the client passed it
        case EntryLookup::Found:
            if (entry.fromPlaylistFile) {
                WriteAnsiAnswer(data, entry.line, entry.lineLength);
            } else {
                WriteWideAnswer(data, entry.path, entry.length);
            }
            break;
        case EntryLookup::PastEnd:
            WriteText(data, kNoEntry);
            break;
    }
    return kResultAnswer;
}
