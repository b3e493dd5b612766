#include "track/current_track.h"

#include "track/track_entry.h"

namespace zel {
namespace {

// The longest path an entry holds whole. A longer one was cut on the way: its first
// characters may name another file, so it names none.
constexpr std::size_t kLongestEntryPath = sizeof(TrackEntry::path) / sizeof(char16_t) - 1;
static_assert(kLongestEntryPath <= platform::kLongestFilePath, "the file calls take it whole");

bool HeldWhole(const TrackEntry& entry) {
    return entry.length != 0 && entry.length <= kLongestEntryPath;
}

// A playlist entry names a file when it is held whole and a directory search for it
// finds one: not a directory, and with a last-write time that a DOS date can hold.
bool EntryNamesFile(const TrackEntry& entry) {
    if (!HeldWhole(entry)) return false;
    const platform::SearchResult found = platform::SearchFirstFile(entry.path);
    return found.found && !found.isDirectory && found.dosTimeValid;
}

}  // namespace

platform::FileHandle OpenCurrentTrack(std::int64_t* size) {
    // The entry is resolved twice, once to test that it names a file and once to open
    // it, because the player may have moved on in between: each step asks afresh, and
    // each takes the whole path.
    TrackEntry entry;
    if (!CurrentPlaylistEntry(entry) || !EntryNamesFile(entry)) return nullptr;
    if (!CurrentPlaylistEntry(entry) || !HeldWhole(entry)) return nullptr;
    platform::FileHandle file = platform::OpenFileForReading(entry.path, /*shareWrite=*/true);
    if (file == nullptr) return nullptr;
    if (!platform::GetFileSize64(file, size)) {
        platform::CloseFile(file);
        return nullptr;
    }
    return file;
}

}  // namespace zel
