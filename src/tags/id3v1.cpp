#include "tags/id3v1.h"

#include <cstdint>

#include "platform/handles.h"
#include "tags/playlist.h"

namespace zel {
namespace {

constexpr unsigned char kBlank = 32;

// A playlist entry names a file when a directory search for it finds one: not a
// directory, and with a last-write time that a DOS date can hold.
bool EntryNamesFile(const char* path, std::size_t length, std::size_t kept) {
    // Empty, or longer than was kept (a path no system call would take anyway).
    if (length == 0 || length > kept) return false;
    const platform::SearchResult found = platform::SearchFirstFile(path);
    return found.found && !found.isDirectory && found.dosTimeValid;
}

bool ReadLastBlock(const char* path, unsigned char (&block)[kId3v1Size]) {
    // Only ever read, and shared both ways: files that are read-only, on read-only media
    // or held open by another program still answer their tag.
    platform::ScopedFile file(platform::OpenFileForReading(path, /*shareWrite=*/true));
    if (!file) return false;
    std::int64_t size = 0;
    if (!platform::GetFileSize64(file.get(), &size) || size < static_cast<std::int64_t>(kId3v1Size)) {
        return false;
    }
    if (!platform::SeekFileTo(file.get(), size - static_cast<std::int64_t>(kId3v1Size))) return false;
    for (auto& byte : block) byte = 0;
    std::size_t filled = 0;
    while (filled < kId3v1Size) {
        std::uint32_t read = 0;
        const auto want = static_cast<std::uint32_t>(kId3v1Size - filled);
        if (!platform::ReadFileBytes(file.get(), block + filled, want, &read) || read == 0) break;
        filled += read;
    }
    return filled == kId3v1Size;
}

}  // namespace

bool HasId3v1Signature(const unsigned char (&block)[kId3v1Size]) {
    return block[0] == 'T' && block[1] == 'A' && block[2] == 'G';
}

std::size_t TrimmedField(const unsigned char (&block)[kId3v1Size], Id3v1Field field,
                         const unsigned char** start) {
    const unsigned char* begin = block + field.offset;
    const unsigned char* end = begin + field.width;
    while (begin < end && *begin <= kBlank) ++begin;
    while (end > begin && end[-1] <= kBlank) --end;
    *start = begin;
    return static_cast<std::size_t>(end - begin);
}

bool ReadId3v1Block(unsigned char (&block)[kId3v1Size]) {
    // The entry is resolved twice, once to test that it names a file and once to open
    // it, because the player may have moved on in between: each step reads afresh.
    char path[platform::kMaxPath + 1];
    std::size_t length = CurrentPlaylistEntry(path, sizeof path);
    if (!EntryNamesFile(path, length, sizeof path - 1)) return false;

    length = CurrentPlaylistEntry(path, sizeof path);
    if (length == 0) return false;
    path[platform::kMaxPath - 1] = '\0';  // the open takes the first 259 characters
    return ReadLastBlock(path, block) && HasId3v1Signature(block);
}

}  // namespace zel
