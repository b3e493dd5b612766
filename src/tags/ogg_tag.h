// The tags of an Ogg Vorbis or Ogg Opus file: the comment block in its second packet.
#pragma once

#include "tags/read/buffered_reader.h"
#include "tags/field_text.h"
#include "tags/read/tag_source.h"

namespace zel {

enum class OggCodec { Other, Vorbis, Opus };

// What the first packet of the file's first stream holds; Other when the file does not
// start with a sound Ogg page or the stream is neither Vorbis nor Opus.
OggCodec DetectOggCodec(const TagSource& source);
// The same through a reader that may already hold the file's first bytes.
OggCodec DetectOggCodec(BufferedReader& reader);

// True when the file is Ogg Vorbis or Opus and its second packet is that codec's comment
// packet with a sound comment block; out then holds the field's first value (empty when
// the block lacks it).
bool ReadOggField(const TagSource& source, TagField field, FieldText& out);

}  // namespace zel
