// The playlist search: the entries of the player's playlist file whose title or file path
// holds every word, in one pass over the file, in memory that does not grow with it.
//
// An entry is a line that does not start with "#" (the rules of track/line_reader.h: lines
// end at a carriage return, blank runs between them are skipped, Ctrl-Z ends the file).
// Its title is the text after the first comma of an "#EXTINF:seconds,title" line right
// before it; an entry without one is matched on its path alone. Each line is matched on its
// first kLineKept bytes: the player writes no path or title that long, and a longer line's
// rest is not searched, so that memory stays fixed.
//
// The file is read in blocks of 64 KiB. A 64-byte chunk at a time, the scan marks where
// lines and entries start and where the anchor's two bytes (track/search_anchor.h) stand
// side by side, with no branch per line; only an entry that holds them is decoded, folded
// and tested against the words. Its lines are taken from the block where it holds them,
// else read again from the file. The search stops at the kMostMatches-th match.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"
#include "track/playlist_file.h"
#include "track/search_words.h"

namespace zel {

constexpr std::size_t kMostMatches = 30;
constexpr std::size_t kLineKept = 4096;
constexpr std::size_t kSearchBlock = 64 * 1024;

struct SearchMatches {
    std::uint32_t entry[kMostMatches];  // entry numbers from 1, in playlist order
    std::size_t count = 0;
};

enum class SearchOutcome { Searched, Unreadable, NoMemory };

// Searches the open playlist file, from its start (passing over a UTF-8 file's byte-order
// mark), for the first kMostMatches entries that match. Unreadable when a read fails on
// the way, so that no answer claims a part of the file that was never looked at.
SearchOutcome SearchPlaylist(platform::FileHandle file, PlaylistText text, SearchWords& words,
                             SearchMatches& matches);

// How the scan takes its chunks: a byte at a time (any processor), or with SSE2.
enum class ChunkScan { Portable, Sse2 };

// The same, reading `block` bytes at a time (1 to kSearchBlock), with the given scan or
// the best below it that the processor has.
SearchOutcome SearchPlaylistWith(platform::FileHandle file, PlaylistText text,
                                 SearchWords& words, SearchMatches& matches, std::size_t block,
                                 ChunkScan scan);

}  // namespace zel
