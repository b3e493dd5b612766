#include "tags/field_text.h"

#include "text/utf8.h"

namespace zel {
namespace {

constexpr std::uint32_t kReplacement = kReplacementCharacter;
constexpr std::uint32_t kBlank = 32;

bool IsSurrogate(std::uint32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

}  // namespace

void AppendCodePoint(FieldText& text, std::uint32_t c) {
    if (text.closed) return;
    if (text.length == 0 && (c <= kBlank || IsControlCharacter(c))) return;  // before the value
    if (c == 0) {
        text.closed = true;
        return;
    }
    unsigned char encoded[4];
    const std::size_t n = EncodeUtf8(c, encoded);
    if (text.length + n > kFieldTextCapacity) {
        text.closed = true;  // a character that does not fit whole is not kept at all
        return;
    }
    for (std::size_t i = 0; i < n; ++i) text.bytes[text.length++] = static_cast<char>(encoded[i]);
}

void AppendLatin1(FieldText& text, const unsigned char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size && !text.closed; ++i) AppendCodePoint(text, bytes[i]);
}

void AppendUtf16(FieldText& text, const unsigned char* bytes, std::size_t size, bool bigEndian) {
    auto unitAt = [&](std::size_t i) -> std::uint32_t {
        return bigEndian ? (std::uint32_t{bytes[i]} << 8) | bytes[i + 1]
                         : (std::uint32_t{bytes[i + 1]} << 8) | bytes[i];
    };
    std::size_t i = 0;
    while (i + 1 < size && !text.closed) {
        const std::uint32_t unit = unitAt(i);
        i += 2;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < size) {
            const std::uint32_t low = unitAt(i);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                i += 2;
                AppendCodePoint(text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
        }
        AppendCodePoint(text, unit);  // a lone surrogate becomes U+FFFD
    }
    // A last odd byte is half a character: it is dropped.
}

void AppendUtf8(FieldText& text, const unsigned char* bytes, std::size_t size) {
    std::size_t i = 0;
    while (i < size && !text.closed) {
        const unsigned char lead = bytes[i];
        std::uint32_t c;
        std::size_t n;
        std::uint32_t minimum;
        if (lead < 0x80) {
            AppendCodePoint(text, lead);
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            c = lead & 0x1F, n = 1, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            c = lead & 0x0F, n = 2, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            c = lead & 0x07, n = 3, minimum = 0x10000;
        } else {
            AppendCodePoint(text, kReplacement);
            ++i;
            continue;
        }
        std::size_t k = 1;
        for (; k <= n && i + k < size && (bytes[i + k] & 0xC0) == 0x80; ++k) {
            c = (c << 6) | (bytes[i + k] & 0x3F);
        }
        if (k <= n || c < minimum || c > 0x10FFFF || IsSurrogate(c)) {
            // A broken sequence: one replacement for what was taken of it.
            AppendCodePoint(text, kReplacement);
            i += k;
            continue;
        }
        AppendCodePoint(text, c);
        i += n + 1;
    }
}

void TrimFieldEnd(FieldText& text) {
    for (;;) {
        const auto* end = reinterpret_cast<const unsigned char*>(text.bytes + text.length);
        if (text.length > 0 && (end[-1] <= kBlank || end[-1] == 0x7F)) {
            --text.length;
        } else if (text.length > 1 && end[-2] == 0xC2 && end[-1] <= 0x9F) {
            text.length -= 2;  // U+0080 to U+009F
        } else {
            return;
        }
    }
}

void KeepFirstCharacters(FieldText& text, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t seen = 0; at < text.length; ++at) {
        const bool starts = (static_cast<unsigned char>(text.bytes[at]) & 0xC0) != 0x80;
        if (starts && seen++ == count) break;
    }
    text.length = at;
    text.closed = true;
}

}  // namespace zel
