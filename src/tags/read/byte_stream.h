// Bytes read one after another from a structure that may not lie in one piece in the
// file: a FLAC block or MP4 value is one run of bytes, an Ogg packet is spread over
// pages. A comment block is parsed the same way over either.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tags/read/buffered_reader.h"

namespace zel {

struct ByteStream {
    void* state = nullptr;
    // Reads exactly count next bytes; false when fewer are left (the stream is then spent).
    bool (*read)(void* state, void* buffer, std::size_t count) = nullptr;
    // Passes over count next bytes without reading them where it can; false when fewer
    // are left.
    bool (*skip)(void* state, std::uint64_t count) = nullptr;
};

// One run of bytes [offset, end) of the file.
struct RangeStream {
    BufferedReader* reader = nullptr;
    std::int64_t offset = 0;
    std::int64_t end = 0;
};

ByteStream StreamOf(RangeStream& range);

}  // namespace zel
