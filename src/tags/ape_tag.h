// The APE tag (version 2, and version 1 read the same way) at the end of a file, or just
// before an ID3v1 tag there.
#pragma once

#include "tags/field_text.h"
#include "tags/read/tag_source.h"

namespace zel {

// True when the file ends with an APE tag footer, or has one right before a final ID3v1
// tag, and the tag's size fits the file; out then holds the field's first value (empty
// when the tag lacks it). Keys are matched in any case: Title, Artist, Album, Year,
// Comment, Genre. The walk ends at the first item that runs past the tag.
bool ReadApeField(const TagSource& source, TagField field, FieldText& out);

}  // namespace zel
