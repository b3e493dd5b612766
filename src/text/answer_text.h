// Answers with text that comes from outside the library (the player's caption, a
// playlist line, a tag), in the encoding the client reads: UTF-8 for today's clients, the
// ANSI code page for mIRC 6 and older. This is the one place that converts answer text.
//
// Every answer stops at the text's first zero and is one line: each run of control
// characters in the text becomes one blank, since a script may send an answer on to a
// chat server, where a line break starts a new command. The answer is then cut to the
// longest answer on a whole character. A conversion that fails answers the unconverted
// bytes, never nothing. Nothing is allocated: the conversions use the caller's stack.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

// The control characters no answer holds: U+0001-U+001F, U+007F and U+0080-U+009F. In
// the ANSI code page only the bytes 0x01-0x1F and 0x7F are (its upper half holds letters).
constexpr bool IsControlCharacter(std::uint32_t c) {
    return (c >= 0x01 && c <= 0x1F) || (c >= 0x7F && c <= 0x9F);
}
constexpr bool IsAnsiControlByte(unsigned char byte) {
    return (byte >= 0x01 && byte <= 0x1F) || byte == 0x7F;
}

// Enough UTF-8 for any answer in any code page: an answer holds at most 899 bytes, and
// no character takes more than three UTF-8 bytes for each byte it takes in a code page.
constexpr std::size_t kUtf8TextCapacity = 3 * 899;

// Text in the system's ANSI code page.
void WriteAnsiAnswer(char* data, const char* text, std::size_t size);

// Text in UTF-16.
void WriteWideAnswer(char* data, const char16_t* text, std::size_t count);

// Text in UTF-8 (valid; tag readers make it so).
void WriteUtf8Answer(char* data, const char* text, std::size_t size);

}  // namespace zel
