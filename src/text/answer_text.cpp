#include "text/answer_text.h"

#include <cstdint>

#include "host/client_version.h"
#include "host/host_command.h"
#include "platform/platform.h"
#include "text/utf8.h"

namespace zel {
namespace {

static_assert(kUtf8TextCapacity == 3 * kMaxAnswer, "three UTF-8 bytes per answer byte");

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::size_t LengthBeforeZero(const char* text, std::size_t size) {
    std::size_t n = 0;
    while (n < size && text[n] != '\0') ++n;
    return n;
}

// UTF-16 up to its first zero as UTF-8, whole characters only, at most kMaxAnswer bytes.
void WriteWideAsUtf8(char* data, const char16_t* text, std::size_t count) {
    std::size_t written = 0;
    for (std::size_t i = 0; i < count && text[i] != 0; ++i) {
        std::uint32_t c = text[i];
        if (IsHighSurrogate(text[i]) && i + 1 < count && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        unsigned char encoded[4];
        const std::size_t n = EncodeUtf8(c, encoded);  // a lone surrogate becomes U+FFFD
        if (written + n > kMaxAnswer) break;
        for (std::size_t k = 0; k < n; ++k) data[written++] = static_cast<char>(encoded[k]);
    }
    data[written] = '\0';
}

// UTF-16 in the ANSI code page, cut to the longest whole-character prefix that fits an
// answer (in a double-byte code page a character may take two bytes). False when the
// system cannot convert it.
bool WriteWideAsAnsi(char* data, const char16_t* text, std::size_t count) {
    std::size_t units = 0;
    while (units < count && text[units] != 0) ++units;
    std::size_t fits = units;
    const int whole = units == 0 ? 0 : platform::WideToAnsi(text, static_cast<int>(units), nullptr, 0);
    if (units != 0 && whole <= 0) return false;
    if (static_cast<std::size_t>(whole) > kMaxAnswer) {
        // Too long: count character by character (a surrogate pair is one) up to the
        // last that fits. Every character takes at least one byte, so this stops within
        // an answer's worth of characters.
        std::size_t bytes = 0;
        fits = 0;
        while (fits < units) {
            const std::size_t step =
                IsHighSurrogate(text[fits]) && fits + 1 < units && IsLowSurrogate(text[fits + 1])
                    ? 2 : 1;
            const int n = platform::WideToAnsi(text + fits, static_cast<int>(step), nullptr, 0);
            if (n <= 0) return false;
            if (bytes + static_cast<std::size_t>(n) > kMaxAnswer) break;
            bytes += static_cast<std::size_t>(n);
            fits += step;
        }
    }
    const int written =
        fits == 0 ? 0 : platform::WideToAnsi(text, static_cast<int>(fits), data, kMaxAnswer);
    if (fits != 0 && written <= 0) return false;
    data[written] = '\0';
    return true;
}

// The longest prefix of ANSI text, at most limit bytes, that ends on a whole character:
// in a double-byte code page a lead byte is kept only with the byte after it.
std::size_t AnsiCutOnCharacter(const char* text, std::size_t size, std::size_t limit) {
    if (size <= limit) return size;
    std::size_t at = 0;
    while (at < limit) {
        const std::size_t step = platform::IsAnsiLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
        if (at + step > limit) break;
        at += step;
    }
    return at;
}

// Valid UTF-8 to UTF-16, for the ANSI conversion; returns the units written.
std::size_t Utf8ToWide(const char* text, std::size_t size, char16_t* out, std::size_t capacity) {
    std::size_t n = 0;
    std::size_t i = 0;
    while (i < size && n + 2 <= capacity) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < size; ++k) {
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        i += length;
        if (c >= 0x10000) {
            out[n++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out[n++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out[n++] = static_cast<char16_t>(c);
        }
    }
    return n;
}

}  // namespace

void WriteAnsiAnswer(char* data, const char* text, std::size_t size) {
    // An answer's worth, on a whole character; in UTF-8 no byte gives less than one byte,
    // so no more than that counts there either.
    size = AnsiCutOnCharacter(text, LengthBeforeZero(text, size), kMaxAnswer);
    if (!ClientReadsUtf8()) {
        WriteText(data, text, size);
        return;
    }
    char16_t wide[kMaxAnswer];
    const int units = platform::AnsiToWide(text, static_cast<int>(size), wide, kMaxAnswer);
    if (size != 0 && units <= 0) {
        WriteText(data, text, size);  // the system could not convert: the bytes as they are
        return;
    }
    WriteWideAsUtf8(data, wide, static_cast<std::size_t>(units));
}

void WriteWideAnswer(char* data, const char16_t* text, std::size_t count) {
    if (ClientReadsUtf8()) {
        WriteWideAsUtf8(data, text, count);
    } else if (!WriteWideAsAnsi(data, text, count)) {
        WriteWideAsUtf8(data, text, count);  // no ANSI form to be had: UTF-8 beats nothing
    }
}

void WriteUtf8Answer(char* data, const char* text, std::size_t size) {
    size = LengthBeforeZero(text, size);
    if (ClientReadsUtf8()) {
        WriteText(data, text, Utf8CutOnCharacter(text, size, kMaxAnswer));
        return;
    }
    if (size > kUtf8TextCapacity) size = Utf8CutOnCharacter(text, size, kUtf8TextCapacity);
    char16_t wide[kUtf8TextCapacity];
    const std::size_t units = Utf8ToWide(text, size, wide, kUtf8TextCapacity);
    if (!WriteWideAsAnsi(data, wide, units)) {
        WriteText(data, text, Utf8CutOnCharacter(text, size, kMaxAnswer));
    }
}

}  // namespace zel
