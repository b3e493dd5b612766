// The current track's file, read from the playlist the player writes on request.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"
#include "tags/line_reader.h"

namespace zel {

constexpr char kPlaylistFileName[] = "winamp.m3u";

// Reads entries (lines that do not begin with "#") until entry number `count` (from 1)
// has been read or the file ends. Keeps that entry's first capacity - 1 bytes in out and
// sets *length to its full length. True when the entry was reached; a count of 0 reaches
// at once with an empty entry, a negative count never.
bool FindPlaylistEntry(LineReader& reader, std::int32_t count, char* out, std::size_t capacity,
                       std::size_t* length);

enum class EntryLookup { NoPlaylist, Found, PastEnd };

// Opens "winamp.m3u" in the player's install directory and reads it to the entry at the
// given playlist position (from 0). Does not flush; the caller decides when to.
EntryLookup ReadEntryAtPosition(std::int32_t position, char* out, std::size_t capacity,
                                std::size_t* length);

// Makes the player write its playlist, asks for its position, and returns the current
// entry's full length (0 when there is none), keeping its first capacity - 1 bytes in out.
std::size_t CurrentPlaylistEntry(char* out, std::size_t capacity);

}  // namespace zel
