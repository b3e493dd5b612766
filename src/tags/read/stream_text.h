// A tag value read from a stream into a FieldText a piece at a time, so that a value of
// any length costs one small buffer: reading stops once the FieldText is closed, and the
// rest of the value is passed over without being read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tags/read/byte_stream.h"
#include "tags/field_text.h"

namespace zel {

// The most bytes of one value that are read. Only a value that starts with this many
// blanks or zeros comes to it (anything else fills or closes the FieldText first), and
// it gives nothing worth answering.
constexpr std::uint64_t kMaxValueRead = 16384;

enum class TextEncoding { Utf8, Latin1 };

// Appends a value as text: its first headSize bytes (at most 64) were already read into
// head, the other size bytes are the stream's next. What of them is not needed is passed
// over. False when the stream holds fewer than size bytes.
bool AppendStreamText(ByteStream& stream, const unsigned char* head, std::size_t headSize,
                      std::uint64_t size, TextEncoding encoding, FieldText& out);

}  // namespace zel
