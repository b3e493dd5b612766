#include "track/current_track.h"

#include "track/track_entry.h"

namespace zel {
namespace {

// A playlist entry names a file when a directory search for it finds one: not a
// directory, and with a last-write time that a DOS date can hold. An entry longer than
// any path the file system takes names none.
bool EntryNamesFile(const TrackEntry& entry) {
    if (entry.length == 0 || entry.length > platform::kMaxPath) return false;
    const platform::SearchResult found = platform::SearchFirstFile(entry.path);
    return found.found && !found.isDirectory && found.dosTimeValid;
}

}  // namespace

platform::FileHandle OpenCurrentTrack(std::int64_t* size) {
    // The entry is resolved twice, once to test that it names a file and once to open
    // it, because the player may have moved on in between: each step asks afresh.
    TrackEntry entry;
    if (!CurrentPlaylistEntry(entry) || !EntryNamesFile(entry)) return nullptr;
    if (!CurrentPlaylistEntry(entry)) return nullptr;
    entry.path[platform::kMaxPath - 1] = 0;  // the open takes the first 259 characters
    platform::FileHandle file = platform::OpenFileForReading(entry.path, /*shareWrite=*/true);
    if (file == nullptr) return nullptr;
    if (!platform::GetFileSize64(file, size)) {
        platform::CloseFile(file);
        return nullptr;
    }
    return file;
}

}  // namespace zel
