// The tags of an MP4 (M4A) file: the items of moov/udta/meta/ilst.
#pragma once

#include "tags/field_text.h"
#include "tags/read/tag_source.h"

namespace zel {

// True when the file's second four bytes are "ftyp", as every MP4 file's are.
bool IsMp4(const TagSource& source);

// True when the file is MP4 and holds an item list (moov/udta/meta/ilst); out then holds
// the field's first value (empty when the list lacks it). A genre stored as a number (a
// "gnre" item) is given by its name; a genre stored as text wins over it.
bool ReadMp4Field(const TagSource& source, TagField field, FieldText& out);

}  // namespace zel
