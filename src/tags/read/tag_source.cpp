#include "tags/read/tag_source.h"

#include <cstring>

namespace zel {

TagSource FileTagSource(platform::FileHandle file, std::int64_t size) {
    TagSource source;
    source.file = file;
    source.size = size;
    return source;
}

TagSource MemoryTagSource(const unsigned char* bytes, std::size_t size) {
    TagSource source;
    source.memory = bytes;
    source.size = static_cast<std::int64_t>(size);
    return source;
}

bool ReadAt(const TagSource& source, std::int64_t offset, void* buffer, std::size_t count) {
    if (offset < 0 || offset > source.size) return false;
    if (static_cast<std::uint64_t>(source.size - offset) < count) return false;
    if (source.file == nullptr) {
        if (count != 0) std::memcpy(buffer, source.memory + offset, count);
        return true;
    }
    if (!platform::SeekFileTo(source.file, offset)) return false;
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t filled = 0;
    while (filled < count) {
        const std::size_t left = count - filled;
        const auto want = static_cast<std::uint32_t>(left < 0x40000000u ? left : 0x40000000u);
        std::uint32_t read = 0;
        if (!platform::ReadFileBytes(source.file, out + filled, want, &read) || read == 0) {
            return false;
        }
        filled += read;
    }
    return true;
}

}  // namespace zel
