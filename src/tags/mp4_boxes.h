// The boxes an MP4 file is built of: a big-endian 32-bit size and a four-character type,
// then the body. Size 1 means a 64-bit size follows the type; size 0 means the box runs
// to the end of its parent (or of the file). Boxes are found by walking headers only:
// a box that is not wanted (media data of gigabytes) is passed over without a read.
#pragma once

#include <cstdint>

#include "tags/read/buffered_reader.h"

namespace zel {

struct Mp4Box {
    unsigned char type[4];
    std::int64_t body = 0;  // the offset of the first byte after the header
    std::int64_t end = 0;   // the offset just past the box
};

// Reads the header of the box at offset inside a parent ending at parentEnd. False when
// the header is not all there, or the box is shorter than its header or runs past the
// parent.
bool ReadMp4Box(BufferedReader& reader, std::int64_t offset, std::int64_t parentEnd, Mp4Box& box);

// Finds the first box of the given type among those in [begin, end). False when there is
// none before the walk ends at end or at an unsound box.
bool FindMp4Box(BufferedReader& reader, std::int64_t begin, std::int64_t end, const char (&type)[5],
                Mp4Box& found);

}  // namespace zel
