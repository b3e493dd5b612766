// Reads of a tag source through one fixed window of bytes held on the stack.
//
// Tag structures are walked a few bytes at a time (a header, a length, a name); served
// from the window, neighbouring small reads cost one read of the file between them.
// Reads larger than the window go straight to the source.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tags/read/tag_source.h"

namespace zel {

// Small enough that no reader's stack frame passes one 4 KiB page (a larger frame would
// need the runtime's stack probe).
constexpr std::size_t kReaderWindow = 2048;

struct BufferedReader {
    const TagSource* source = nullptr;
    std::int64_t start = 0;   // the file offset of window[0]
    std::size_t length = 0;   // bytes of the window that hold file data
    unsigned char window[kReaderWindow];
};

void StartReader(BufferedReader& reader, const TagSource& source);

// Reads exactly count bytes at offset; false when they are not all in the file. When the
// window must be refilled, it is filled with `fill` bytes from offset (at least count; a
// caller that knows the bytes after are not wanted keeps the read small).
bool ReadThrough(BufferedReader& reader, std::int64_t offset, void* buffer, std::size_t count,
                 std::size_t fill = kReaderWindow);

}  // namespace zel
