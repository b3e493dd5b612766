#include "track/playlist.h"

#include "platform/heap_buffer.h"

namespace zel {
namespace {

// Block size for reading the playlist: large enough that the system calls vanish against
// the scan, small enough to be a trifle in the client's process.
constexpr std::size_t kReadBlock = 64 * 1024;

}  // namespace

bool FindPlaylistEntry(LineReader& reader, std::int32_t count, char* out, std::size_t capacity,
                       std::size_t* length) {
    if (capacity > 0) out[0] = '\0';
    *length = 0;
    if (count <= 0) return count == 0;
    // Only the entry asked for is read; every line before it is passed over unread.
    if (!SkipToEntry(reader, count)) return false;
    *length = ReadLine(reader, out, capacity);
    return true;
}

EntryLookup ReadEntryAtPosition(platform::FileHandle playlist, std::int32_t position, char* out,
                                std::size_t capacity, std::size_t* length) {
    if (capacity > 0) out[0] = '\0';
    *length = 0;

    platform::HeapBuffer block;
    if (!block.allocate(kReadBlock)) return EntryLookup::NoPlaylist;
    LineReader reader =
        FileLineReader(playlist, static_cast<unsigned char*>(block.data()), kReadBlock);
    // Entries count from 1, positions from 0; the sum wraps in 32 bits.
    const auto count =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(position) + 1u);
    return FindPlaylistEntry(reader, count, out, capacity, length) ? EntryLookup::Found
                                                                   : EntryLookup::PastEnd;
}

}  // namespace zel
