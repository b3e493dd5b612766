// The tags of a FLAC file: its VORBIS_COMMENT metadata block.
#pragma once

#include <cstdint>

#include "tags/field_text.h"
#include "tags/read/tag_source.h"

namespace zel {

// start is the offset of the "fLaC" marker (0, or just past an ID3v2 tag). True when the
// marker is there and the metadata blocks before the audio hold a comment block; out
// then holds the field's first value (empty when the block lacks it). The walk ends at
// the last block, at a block that runs past the file, or at an invalid block type.
bool ReadFlacField(const TagSource& source, std::int64_t start, TagField field, FieldText& out);

}  // namespace zel
