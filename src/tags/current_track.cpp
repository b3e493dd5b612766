#include "tags/current_track.h"

#include "tags/playlist.h"

namespace zel {
namespace {

// A playlist entry names a file when a directory search for it finds one: not a
// directory, and with a last-write time that a DOS date can hold.
bool EntryNamesFile(const char* path, std::size_t length, std::size_t kept) {
    // Empty, or longer than was kept (a path no system call would take anyway).
    if (length == 0 || length > kept) return false;
    const platform::SearchResult found = platform::SearchFirstFile(path);
    return found.found && !found.isDirectory && found.dosTimeValid;
}

}  // namespace

platform::FileHandle OpenCurrentTrack(std::int64_t* size) {
    // The entry is resolved twice, once to test that it names a file and once to open
    // it, because the player may have moved on in between: each step reads afresh.
    char path[platform::kMaxPath + 1];
    std::size_t length = CurrentPlaylistEntry(path, sizeof path);
    if (!EntryNamesFile(path, length, sizeof path - 1)) return nullptr;

    length = CurrentPlaylistEntry(path, sizeof path);
    if (length == 0) return nullptr;
    path[platform::kMaxPath - 1] = '\0';  // the open takes the first 259 characters
    platform::FileHandle file = platform::OpenFileForReading(path, /*shareWrite=*/true);
    if (file == nullptr) return nullptr;
    if (!platform::GetFileSize64(file, size)) {
        platform::CloseFile(file);
        return nullptr;
    }
    return file;
}

}  // namespace zel
