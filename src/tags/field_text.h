// One tag field's value as UTF-8, decoded from whatever encoding its tag stores it in.
//
// Every reader fills a FieldText through the Append functions below, which keep only the
// first value of the field: blanks, zeros and control characters before it are dropped,
// and the first zero after it ends it (a zero separates several values). Characters are
// always kept whole, and input that is not valid in its encoding becomes U+FFFD, so the
// bytes held are always valid UTF-8. Trailing blanks are removed by the caller, once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/answer_text.h"

namespace zel {

// Enough for any answer, in whatever encoding the client reads.
constexpr std::size_t kFieldTextCapacity = kUtf8TextCapacity;

enum class TagField { Title, Artist, Album, Year, Comment, Genre };

struct FieldText {
    char bytes[kFieldTextCapacity];
    std::size_t length = 0;
    bool closed = false;  // the value has ended: a zero after it, or no room for more
};

// Adds one character (a Unicode code point; invalid ones become U+FFFD).
void AppendCodePoint(FieldText& text, std::uint32_t codePoint);

// Adds text in ISO-8859-1, UTF-16 (little- or big-endian, surrogate pairs joined) or UTF-8.
void AppendLatin1(FieldText& text, const unsigned char* bytes, std::size_t size);
void AppendUtf16(FieldText& text, const unsigned char* bytes, std::size_t size, bool bigEndian);
void AppendUtf8(FieldText& text, const unsigned char* bytes, std::size_t size);

// Removes blanks and control characters (see IsControlCharacter) from the end.
void TrimFieldEnd(FieldText& text);

// Keeps only the first `count` characters (a year is the first four of a date).
void KeepFirstCharacters(FieldText& text, std::size_t count);

}  // namespace zel
