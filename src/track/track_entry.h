// The current playlist entry: the path of the track the player is on.
//
// The player is asked for the entry's path itself first (request 214, its UTF-16 text
// read from the player's memory). Where it does not answer so (an older version, a player
// whose memory cannot be read), it is made to write its playlist and the entry is read
// from that file (track/playlist_file.h says which file, where).
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/host_command.h"
#include "track/playlist.h"

namespace zel {

struct TrackEntry {
    // The path in UTF-16, as the file system takes it: its first units and a zero.
    char16_t path[kDataCapacity];
    // Its full length in characters (for a playlist line longer than was kept, in bytes).
    std::size_t length = 0;
    // From the ANSI playlist file: the line's own bytes, answered as they stand; a byte
    // more than an answer, so that the answer's cut sees that a longer line goes on.
    bool fromAnsiPlaylist = false;
    char line[kDataCapacity + 1];
    std::size_t lineLength = 0;
};

// Looks up the entry at a playlist position. NoPlaylist when the player named no path
// and no playlist file could be opened; PastEnd when the file ended before the entry.
EntryLookup LookUpEntry(std::int32_t position, TrackEntry& entry);

// Asks the player for its position, then looks up the entry there. Where the player
// stops answering part-way, the lookup is made again as without a player, so that no
// answer mixes what the player said with what the files say without it.
EntryLookup LookUpCurrentEntry(TrackEntry& entry);

// The same, for callers that need a path: false (and an empty path) when there is none.
bool CurrentPlaylistEntry(TrackEntry& entry);

// Answers a looked-up entry's path in the client's encoding, or "NADA" when the playlist
// ended before it. Where there was no playlist to read at all, leaves the buffer as the
// client passed it if keepWhenNone, else answers "NADA" too.
void AnswerEntryPath(char* data, EntryLookup found, const TrackEntry& entry, bool keepWhenNone);

}  // namespace zel
