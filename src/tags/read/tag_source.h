// The bytes a tag reader looks at: an open track file, or bytes already in memory (unit
// tests and fuzzers). Every read names its offset and length and is checked against the
// real size first, so no size taken from a file can make a reader read past its end.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace zel {

struct TagSource {
    platform::FileHandle file = nullptr;     // null: the bytes are in memory
    const unsigned char* memory = nullptr;
    std::int64_t size = 0;                   // the file's real size in bytes
};

TagSource FileTagSource(platform::FileHandle file, std::int64_t size);
TagSource MemoryTagSource(const unsigned char* bytes, std::size_t size);

// Reads exactly count bytes at offset into buffer. False, with nothing to trust in buffer,
// when offset is negative, offset + count runs past the end, or the read fails.
bool ReadAt(const TagSource& source, std::int64_t offset, void* buffer, std::size_t count);

}  // namespace zel
