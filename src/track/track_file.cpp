// zel_winamp_track_file: the current track's path, or "NADA" when the playlist ends
// before the current position.
#include "host/host_command.h"
#include "track/track_entry.h"
#include "text/answer_text.h"

namespace zel {

void AnswerEntryPath(char* data, EntryLookup found, const TrackEntry& entry, bool keepWhenNone) {
    constexpr char kNoEntry[] = "NADA";
    switch (found) {
        case EntryLookup::NoPlaylist:
            if (!keepWhenNone) WriteText(data, kNoEntry);
            break;
        case EntryLookup::Found:
            if (entry.fromAnsiPlaylist) {
                WriteAnsiAnswer(data, entry.line, entry.lineLength);
            } else {
                WriteWideAnswer(data, entry.path, entry.length);
            }
            break;
        case EntryLookup::PastEnd:
            WriteText(data, kNoEntry);
            break;
    }
}

}  // namespace zel

ZEL_HOST_COMMAND(zel_winamp_track_file) {
    using namespace zel;
    // Without a playlist to read, the buffer stays as the client passed it.
    TrackEntry entry;
    AnswerEntryPath(data, LookUpCurrentEntry(entry), entry, /*keepWhenNone=*/true);
    return kResultAnswer;
}
