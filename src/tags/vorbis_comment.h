// The comment block FLAC and Ogg (Vorbis, Opus) files keep their tags in: a vendor
// string, then a count of comments, each "NAME=value" in UTF-8 with a case-insensitive
// name. Every length is a little-endian 32-bit number before its bytes.
#pragma once

#include "tags/read/byte_stream.h"
#include "tags/field_text.h"

namespace zel {

// Reads the block from the stream's next byte. False when even its vendor string and
// comment count are not there; otherwise true, with out holding the field's first value
// (empty when the block lacks it). The walk stops at the first comment that runs past
// the stream's end, whatever the count claims.
bool ReadVorbisComment(ByteStream& stream, TagField field, FieldText& out);

}  // namespace zel
