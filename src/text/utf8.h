// UTF-8 encoding of single characters and the checks that keep a cut on a whole one.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

constexpr std::uint32_t kReplacementCharacter = 0xFFFD;

// Writes a code point as UTF-8 into out (room for 4 bytes) and returns the byte count;
// surrogates and values past U+10FFFF are written as U+FFFD.
std::size_t EncodeUtf8(std::uint32_t codePoint, unsigned char* out);

// The longest prefix of UTF-8 text, at most limit bytes, that ends on a whole character.
std::size_t Utf8CutOnCharacter(const char* text, std::size_t size, std::size_t limit);

// Decodes UTF-8 to UTF-16, refusing anything that is not well formed: a stray or missing
// continuation byte, an overlong form, a surrogate, a value past U+10FFFF. Returns the
// units written, or -1 for text that is not UTF-8 or does not fit in capacity units.
std::ptrdiff_t DecodeUtf8(const char* text, std::size_t size, char16_t* out, std::size_t capacity);

// Decodes UTF-8 that may not be well formed (a file's bytes): each byte that starts no
// well-formed sequence becomes U+FFFD. Keeps the first capacity - 1 units and a zero in
// out, and returns the units the whole text takes (more than capacity - 1 when cut).
std::size_t DecodeUtf8Replacing(const char* text, std::size_t size, char16_t* out,
                                std::size_t capacity);

}  // namespace zel
