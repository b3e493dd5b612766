#include "track/track_entry.h"

#include "platform/handles.h"
#include "platform/platform.h"
#include "player/player_link.h"
#include "player/player_text.h"
#include "text/utf8.h"
#include "track/playlist_file.h"

namespace zel {
namespace {

// The longest UTF-8 line kept: enough for an entry of the longest path in any script.
constexpr std::size_t kUtf8LineCapacity = 3 * kDataCapacity;

EntryLookup ReadEntryFromPlaylistFile(std::int32_t position, TrackEntry& entry) {
    FlushPlaylist();
    char16_t dir[platform::kMaxPath];
    std::size_t dirLength = 0;
    if (!PlaylistDirectory(dir, &dirLength)) return EntryLookup::NoPlaylist;
    PlaylistText text = PlaylistText::Ansi;
    platform::ScopedFile playlist(OpenPlaylistFile(dir, dirLength, &text));
    if (!playlist) return EntryLookup::NoPlaylist;

    if (text == PlaylistText::Utf8) {
        // A UTF-8 line names the file whole: it is answered from its UTF-16 form, as a
        // path the player names is.
        char line[kUtf8LineCapacity];
        std::size_t lineLength = 0;
        const EntryLookup found =
            ReadEntryAtPosition(playlist.get(), position, line, sizeof line, &lineLength);
        if (found != EntryLookup::Found) return found;
        const std::size_t kept = lineLength < sizeof line ? lineLength : sizeof line - 1;
        const std::size_t units = DecodeUtf8Replacing(line, kept, entry.path, kDataCapacity);
        // A line longer than was kept names no file any call could take.
        entry.length = lineLength > kept ? kUtf8LineCapacity : units;
        return found;
    }

    entry.fromAnsiPlaylist = true;
    const EntryLookup found = ReadEntryAtPosition(playlist.get(), position, entry.line,
                                                  sizeof entry.line, &entry.lineLength);
    if (found != EntryLookup::Found) return found;
    // The path in UTF-16 for the file system; a line longer than was kept names no file
    // any call could take, and keeps its length in bytes to say so.
    std::size_t kept = entry.lineLength;
    if (kept > kDataCapacity - 1) kept = kDataCapacity - 1;
    const int units = kept == 0 ? 0
                                : platform::AnsiToWide(entry.line, static_cast<int>(kept), entry.path,
                                                       static_cast<int>(kDataCapacity - 1));
    entry.path[units > 0 ? units : 0] = 0;
    entry.length = entry.lineLength > kept ? entry.lineLength
                                           : static_cast<std::size_t>(units > 0 ? units : 0);
    return found;
}

}  // namespace

EntryLookup LookUpEntry(std::int32_t position, TrackEntry& entry) {
    entry.fromAnsiPlaylist = false;
    entry.lineLength = 0;
    entry.line[0] = '\0';
    const std::ptrdiff_t length =
        AskPlayerText(kRequestEntryPath, position, entry.path, kDataCapacity);
    if (length > 0) {
        entry.length = static_cast<std::size_t>(length);
        return EntryLookup::Found;
    }
    entry.path[0] = 0;
    entry.length = 0;
    return ReadEntryFromPlaylistFile(position, entry);
}

EntryLookup LookUpCurrentEntry(TrackEntry& entry) {
    const bool silentBefore = PlayerWentSilent();
    const EntryLookup found = LookUpEntry(SendPlayerRequest(kRequestPlaylistPosition, 0), entry);
    if (silentBefore || !PlayerWentSilent()) return found;
    return LookUpEntry(0, entry);  // the position a missing player answers
}

bool CurrentPlaylistEntry(TrackEntry& entry) {
    if (LookUpCurrentEntry(entry) == EntryLookup::Found && entry.length != 0) return true;
    entry.path[0] = 0;
    entry.length = 0;
    return false;
}

}  // namespace zel
