// The player's playlist file: its entries, read line by line.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"
#include "track/line_reader.h"

namespace zel {

// Reads entries (lines that do not begin with "#") until entry number `count` (from 1)
// has been read or the file ends. Keeps that entry's first capacity - 1 bytes in out and
// sets *length to its full length. True when the entry was reached; a count of 0 reaches
// at once with an empty entry, a negative count never.
bool FindPlaylistEntry(LineReader& reader, std::int32_t count, char* out, std::size_t capacity,
                       std::size_t* length);

enum class EntryLookup { NoPlaylist, Found, PastEnd };

// Reads an open playlist file to the entry at the given playlist position (from 0).
EntryLookup ReadEntryAtPosition(platform::FileHandle playlist, std::int32_t position, char* out,
                                std::size_t capacity, std::size_t* length);

}  // namespace zel
