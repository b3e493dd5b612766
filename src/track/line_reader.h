// Reads a playlist file line by line through a fixed block buffer: one system call per
// block, never per byte, and memory that does not grow with the file or a line.
//
// A line ends at a carriage return (a line feed right after it goes with it); a lone line
// feed is text. Byte 26 (Ctrl-Z) ends the file wherever it stands. Between lines every
// byte of value 32 or less but 26 is skipped, so blank lines are no lines. An entry is a
// line whose first byte is not "#".
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace zel {

struct LineReader {
    platform::FileHandle file = nullptr;  // null: the buffer already holds all the bytes
    unsigned char* buffer = nullptr;
    std::size_t capacity = 0;
    std::size_t position = 0;
    std::size_t end = 0;
    bool ended = false;  // end of file, a read error, or byte 26 reached
    bool vectorScan = false;  // the processor has SSE2: scan with its sixteen-byte registers
    bool countInstruction = false;  // it also has popcnt: count bits with it in that scan
};

// A reader over an open file, refilling the given buffer block by block.
LineReader FileLineReader(platform::FileHandle file, unsigned char* buffer, std::size_t capacity);

// A reader over bytes already in memory.
LineReader MemoryLineReader(const unsigned char* bytes, std::size_t size);

// Moves to the first byte of entry number `number` (from 1), passing over the lines before
// it unread. Call between lines: on a new reader or after ReadLine. Returns false, with
// the reader at the end, when the file ends first or `number` is less than 1.
bool SkipToEntry(LineReader& reader, std::int32_t number);

// Skips every byte of value 32 or less but 26. Returns false when the file ended first.
bool SkipToLine(LineReader& reader);

// The byte the next line starts with; call only after SkipToLine returned true.
unsigned char PeekLineStart(const LineReader& reader);

// Reads the rest of the line up to its carriage return and moves past the line end.
// Keeps the first capacity - 1 bytes in out (when out is not null) followed by a zero
// byte, skips the rest, and returns the line's full length (saturating).
std::size_t ReadLine(LineReader& reader, char* out, std::size_t capacity);

}  // namespace zel
