// An independent check of UTF-8 for the tests and fuzzers: shortest forms only, no
// surrogates, nothing past U+10FFFF, no character cut at the end.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel::testing {

// The number of characters in the text; -1 when it is not valid UTF-8.
inline std::ptrdiff_t Utf8Characters(const char* text, std::size_t size) {
    const auto* b = reinterpret_cast<const unsigned char*>(text);
    std::ptrdiff_t characters = 0;
    for (std::size_t i = 0; i < size; ++characters) {
        const unsigned char lead = b[i];
        std::size_t n;
        std::uint32_t c;
        if (lead < 0x80) {
            n = 0, c = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            n = 1, c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            n = 2, c = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            n = 3, c = lead & 0x07;
        } else {
            return -1;
        }
        if (i + n >= size) return -1;
        for (std::size_t k = 1; k <= n; ++k) {
            if ((b[i + k] & 0xC0) != 0x80) return -1;
            c = (c << 6) | (b[i + k] & 0x3F);
        }
        const std::uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (c < minimum[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return -1;
        i += n + 1;
    }
    return characters;
}

}  // namespace zel::testing
