#include "tags/read/buffered_reader.h"

#include <cstring>

namespace zel {

void StartReader(BufferedReader& reader, const TagSource& source) {
    reader.source = &source;
    reader.start = 0;
    reader.length = 0;
}

bool ReadThrough(BufferedReader& reader, std::int64_t offset, void* buffer, std::size_t count,
                 std::size_t fill) {
    const std::int64_t size = reader.source->size;
    if (offset < 0 || offset > size || static_cast<std::uint64_t>(size - offset) < count) return false;
    if (count > kReaderWindow) return ReadAt(*reader.source, offset, buffer, count);

    const bool inWindow = offset >= reader.start &&
                          static_cast<std::uint64_t>(offset - reader.start) + count <= reader.length;
    if (!inWindow) {
        // Refill from offset: as much as asked for, or up to the end of the file.
        if (fill > kReaderWindow) fill = kReaderWindow;
        if (fill < count) fill = count;
        const std::int64_t left = size - offset;
        if (left < static_cast<std::int64_t>(fill)) fill = static_cast<std::size_t>(left);
        reader.length = 0;
        if (!ReadAt(*reader.source, offset, reader.window, fill)) return false;
        reader.start = offset;
        reader.length = fill;
    }
    if (count != 0) std::memcpy(buffer, reader.window + (offset - reader.start), count);
    return true;
}

}  // namespace zel
