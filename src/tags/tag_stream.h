// A forward reader over one byte range of a tag source, for the ID3v2 reader.
//
// An unsynchronised tag stores a zero after every 0xFF that an audio decoder could take
// for the start of a frame; the stream drops those zeros as it reads, so its reader sees
// the tag's bytes as they were written. Positions and counts a tag names for such bytes
// are counted after the zeros are dropped, so passing over them means reading them: only
// bytes stored as they are can be passed over by a seek. Memory is one fixed block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tags/read/tag_source.h"

namespace zel {

// Bytes read at a time from an unsynchronised range.
constexpr std::size_t kTagStreamBlock = 1024;

struct TagStream {
    const TagSource* source = nullptr;
    std::int64_t position = 0;    // offset of the next byte not yet taken from the source
    std::int64_t end = 0;         // no byte at or past this offset is ever read
    bool unsynchronised = false;
    bool afterFF = false;         // the last byte handed out was 0xFF: a zero next is dropped
    std::size_t blockNext = 0;    // unsynchronised bytes read but not yet handed out:
    std::size_t blockEnd = 0;     //   block[blockNext, blockEnd)
    unsigned char block[kTagStreamBlock];
};

// Starts a stream over source bytes [begin, end). The source must outlive it.
void OpenTagStream(TagStream& stream, const TagSource& source, std::int64_t begin,
                   std::int64_t end, bool unsynchronised);

// Reads up to count bytes into out and returns how many: fewer only when the range ends
// (or a read fails, which ends the stream too).
std::size_t ReadTagStream(TagStream& stream, unsigned char* out, std::size_t count);

// Passes over count bytes. False, with the stream at its end, when it ends first.
bool SkipTagStream(TagStream& stream, std::int64_t count);

// Source bytes left in the range. The stream cannot yield more bytes than this (fewer
// when it drops zeros), so a count larger than this can be refused before any read.
std::int64_t TagStreamBytesLeft(const TagStream& stream);

}  // namespace zel
