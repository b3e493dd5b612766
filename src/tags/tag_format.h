// Which kind of file a track is, told by its content: the tag reader to use for it.
#pragma once

#include <cstdint>

#include "tags/read/tag_source.h"

namespace zel {

enum class TagFormat { Other, Flac, Ogg, Mp4 };

// afterId3v2 is the offset just past an ID3v2 tag at the file's start (0 when there is
// none). Flac: "fLaC" at that offset. Ogg: an Ogg page at 0 whose first packet is Vorbis
// or Opus. Mp4: "ftyp" at offset 4. Anything else (MP3 and the rest) is Other, where
// only ID3 and APE tags are looked for.
TagFormat DetectTagFormat(const TagSource& source, std::int64_t afterId3v2);

}  // namespace zel
