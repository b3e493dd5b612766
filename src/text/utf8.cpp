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

std::ptrdiff_t DecodeUtf8(const char* text, std::size_t size, char16_t* out, std::size_t capacity) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < size;) {
        const auto lead = static_cast<unsigned char>(text[i]);
        // The sequence's length and the smallest value that needs it (no overlong forms).
        std::size_t length = 1;
        std::uint32_t least = 0;
        std::uint32_t c = lead;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, least = 0x80, c = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, least = 0x800, c = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, least = 0x10000, c = lead & 0x07u;
        } else if (lead >= 0x80) {
            return -1;  // a continuation byte, or a lead byte no valid text has
        }
        if (length > size - i) return -1;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return -1;
            c = (c << 6) | (next & 0x3Fu);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return -1;
        const std::size_t needed = c >= 0x10000 ? 2 : 1;
        if (units + needed > capacity) return -1;
        if (needed == 2) {
            out[units++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out[units++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out[units++] = static_cast<char16_t>(c);
        }
        i += length;
    }
    return static_cast<std::ptrdiff_t>(units);
}

}  // namespace zel
