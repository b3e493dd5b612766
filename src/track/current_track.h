// The current track's file, resolved the way every tag query resolves it.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace zel {

// Finds the current track's file and opens it for reading only, sharing reading and
// writing, so that files that are read-only, on read-only media or held open by another
// program are still read. Null when the entry names no file (empty, missing, a directory,
// a last-write time no DOS date can hold) or the file cannot be opened. Sets *size to the
// file's real size. The caller closes the file.
platform::FileHandle OpenCurrentTrack(std::int64_t* size);

}  // namespace zel
