#include "text/utf8.h"

namespace zel {

std::size_t EncodeUtf8(std::uint32_t c, unsigned char* out) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacementCharacter;
    if (c < 0x80) {
        out[0] = static_cast<unsigned char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<unsigned char>(0xF0 | (c >> 18));
    out[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 4;
}

std::size_t Utf8CutOnCharacter(const char* text, std::size_t size, std::size_t limit) {
    if (size <= limit) return size;
    // Back up over continuation bytes to the start of the character that does not fit.
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

namespace {

// The character whose UTF-8 sequence starts at text[i], if that sequence is well formed:
// no stray or missing continuation byte, no overlong form, no surrogate, nothing past
// U+10FFFF. Sets *length to the sequence's bytes.
bool DecodeOne(const char* text, std::size_t size, std::size_t i, std::uint32_t* character,
               std::size_t* length) {
    const auto lead = static_cast<unsigned char>(text[i]);
    // The sequence's length and the smallest value that needs it (no overlong forms).
    std::size_t n = 1;
    std::uint32_t least = 0;
    std::uint32_t c = lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2, least = 0x80, c = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3, least = 0x800, c = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4, least = 0x10000, c = lead & 0x07u;
    } else if (lead >= 0x80) {
        return false;  // a continuation byte, or a lead byte no valid text has
    }
    if (n > size - i) return false;
    for (std::size_t k = 1; k < n; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return false;
        c = (c << 6) | (next & 0x3Fu);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    *character = c;
    *length = n;
    return true;
}

// Writes a character as one or two UTF-16 units at out[units] when they fit before
// capacity; returns how many it takes.
std::size_t PutUnits(std::uint32_t c, char16_t* out, std::size_t units, std::size_t capacity) {
    const std::size_t needed = c >= 0x10000 ? 2 : 1;
    if (units + needed > capacity) return needed;
    if (needed == 2) {
        out[units] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        out[units + 1] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        out[units] = static_cast<char16_t>(c);
    }
    return needed;
}

}  // namespace

std::ptrdiff_t DecodeUtf8(const char* text, std::size_t size, char16_t* out, std::size_t capacity) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < size;) {
        std::uint32_t c = 0;
        std::size_t length = 0;
        if (!DecodeOne(text, size, i, &c, &length)) return -1;
        const std::size_t needed = PutUnits(c, out, units, capacity);
        if (units + needed > capacity) return -1;
        units += needed;
        i += length;
    }
    return static_cast<std::ptrdiff_t>(units);
}

std::size_t DecodeUtf8Replacing(const char* text, std::size_t size, char16_t* out,
                                std::size_t capacity) {
    std::size_t units = 0;
    std::size_t kept = 0;  // units written: from the first character that does not fit, none
    for (std::size_t i = 0; i < size;) {
        std::uint32_t c = kReplacementCharacter;
        std::size_t length = 1;
        DecodeOne(text, size, i, &c, &length);
        const std::size_t room = capacity > 0 ? capacity - 1 : 0;
        const std::size_t needed = PutUnits(c, out, kept, kept == units ? room : 0);
        if (kept == units && kept + needed <= room) kept += needed;
        units += needed;
        i += length;
    }
    if (capacity > 0) out[kept] = 0;
    return units;
}

}  // namespace zel
