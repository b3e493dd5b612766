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

// Copies text up to its first zero into out as one line: each run of control characters
// becomes one blank. Stops before the first character that does not fit in capacity
// units, and returns the units written. `measure` gives the units of the character at
// the front of what is left and whether it is a control character. Out may be the text
// itself: nothing is written ahead of what has been read.
template <typename Unit, typename Measure>
std::size_t CopyAsOneLine(const Unit* text, std::size_t size, Unit* out, std::size_t capacity,
                          Measure measure) {
    std::size_t n = 0;
    bool afterControl = false;
    for (std::size_t i = 0; i < size && text[i] != 0;) {
        std::size_t units = 1;
        const bool control = measure(text + i, size - i, &units);
        if (control && !afterControl) {
            if (n == capacity) break;
            out[n++] = static_cast<Unit>(' ');
        } else if (!control) {
            if (n + units > capacity) break;
            for (std::size_t k = 0; k < units; ++k) out[n++] = text[i + k];
        }
        afterControl = control;
        i += units;
    }
    return n;
}

// ANSI text: byte by byte. No double-byte code page has a control byte as a trail byte,
// so one is never part of a character (and one after a lead byte is a control all the same).
bool MeasureAnsi(const char* text, std::size_t, std::size_t*) {
    return IsAnsiControlByte(static_cast<unsigned char>(*text));
}

// UTF-16: a surrogate pair is one character, never split.
bool MeasureWide(const char16_t* text, std::size_t left, std::size_t* units) {
    if (IsHighSurrogate(text[0]) && left > 1 && IsLowSurrogate(text[1])) *units = 2;
    return IsControlCharacter(text[0]);
}

// UTF-8: a character is its first byte and the continuation bytes that follow it, up to
// the length the first byte gives; a control byte is never taken into one. The C1
// controls are C2 80 to C2 9F.
bool MeasureUtf8(const char* text, std::size_t left, std::size_t* units) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::size_t n = 1;
    while (n < length && n < left && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) ++n;
    *units = n;
    if (lead < 0x80) return IsAnsiControlByte(lead);
    return lead == 0xC2 && n == 2 && static_cast<unsigned char>(text[1]) <= 0x9F;
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

}  // namespace

void WriteAnsiAnswer(char* data, const char* text, std::size_t size) {
    // One byte more than an answer, so that the cut sees whether the text goes on; in
    // UTF-8 no byte gives less than one byte, so no more than that counts there either.
    char line[kDataCapacity];
    size = AnsiCutOnCharacter(line, CopyAsOneLine(text, size, line, sizeof line, MeasureAnsi),
                              kMaxAnswer);
    if (!ClientReadsUtf8()) {
        WriteText(data, line, size);
        return;
    }
    char16_t wide[kMaxAnswer];
    const int units = platform::AnsiToWide(line, static_cast<int>(size), wide, kMaxAnswer);
    if (size != 0 && units <= 0) {
        WriteText(data, line, size);  // the system could not convert: the bytes as they are
        return;
    }
    // A code page may widen a byte it leaves undefined to a C1 control character.
    const auto count = static_cast<std::size_t>(units > 0 ? units : 0);
    WriteWideAsUtf8(data, wide, CopyAsOneLine(wide, count, wide, count, MeasureWide));
}

void WriteWideAnswer(char* data, const char16_t* text, std::size_t count) {
    // Room for an answer's worth of characters, each a surrogate pair.
    char16_t line[2 * kDataCapacity];
    count = CopyAsOneLine(text, count, line, 2 * kDataCapacity, MeasureWide);
    if (ClientReadsUtf8()) {
        WriteWideAsUtf8(data, line, count);
    } else if (!WriteWideAsAnsi(data, line, count)) {
        WriteWideAsUtf8(data, line, count);  // no ANSI form to be had: UTF-8 beats nothing
    }
}

void WriteUtf8Answer(char* data, const char* text, std::size_t size) {
    char line[kUtf8TextCapacity];
    size = CopyAsOneLine(text, size, line, sizeof line, MeasureUtf8);
    if (ClientReadsUtf8()) {
        WriteText(data, line, Utf8CutOnCharacter(line, size, kMaxAnswer));
        return;
    }
    // Zero-terminated where it is kept; the ANSI conversion stops there.
    char16_t wide[kUtf8TextCapacity + 1];
    const std::size_t units = DecodeUtf8Replacing(line, size, wide, kUtf8TextCapacity + 1);
    if (!WriteWideAsAnsi(data, wide, units)) {
        WriteText(data, line, Utf8CutOnCharacter(line, size, kMaxAnswer));
    }
}

}  // namespace zel
