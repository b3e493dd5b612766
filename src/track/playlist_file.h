// Where the player keeps its playlist files, and which of them to read.
//
// On request the player writes its list twice into one directory: "winamp.m3u" in the
// ANSI code page (a character the code page cannot spell becomes "?") and, from the
// Unicode versions on, "Winamp.m3u8" in UTF-8 with a byte-order mark. The UTF-8 file names
// every track whole, so it is read wherever it is there; older players write only the
// first.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace zel {

constexpr char kAnsiPlaylistName[] = "winamp.m3u";
constexpr char kUtf8PlaylistName[] = "Winamp.m3u8";

enum class PlaylistText { Ansi, Utf8 };

// The directory the player keeps its playlist in, ending in a backslash: the one it names
// (request 338 in UTF-16, else 337 in ANSI), else its install directory from the registry
// (where players before the named directory kept it), else empty (the name alone then
// resolves against the client's current directory). Sets *length to its length. False
// when the named directory is too long to hold the playlist's name within a path.
bool PlaylistDirectory(char16_t (&dir)[platform::kMaxPath], std::size_t* length);

// Opens the playlist in dir (length units, ending in a backslash or empty) for reading:
// Winamp.m3u8 where it is there, with its byte-order mark passed over, else winamp.m3u.
// Sets *text to how the opened file's lines are encoded. Null when neither opens.
platform::FileHandle OpenPlaylistFile(const char16_t* dir, std::size_t length, PlaylistText* text);

}  // namespace zel
