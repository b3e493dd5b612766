// The ID3v2 tag at the start of a track file (versions 2.2, 2.3 and 2.4).
#pragma once

#include <cstdint>

#include "tags/field_text.h"
#include "tags/read/tag_source.h"

namespace zel {

// Bytes an ID3v2 tag at offset 0 takes: its 10-byte header, the size the header gives
// and, in version 2.4, a 10-byte footer when the header says there is one. 0 when the
// source does not start with a tag of a version we read. The size is the tag's own
// claim and may run past the end of a cut-off file.
std::int64_t Id3v2TagSize(const TagSource& source);

// True when the source starts with an ID3v2 tag whose frames can be read; then out holds
// the first value of the field as UTF-8, or nothing when the tag lacks the field.
// Trailing blanks are kept and genres are not named: the caller does both for every
// tag format alike. The tag is read in small pieces within its declared size; frames
// not needed, however large, are passed over without reading them.
bool ReadId3v2Field(const TagSource& source, TagField field, FieldText& out);

}  // namespace zel
