// Answers with text that comes from outside the library (the player's caption, a
// playlist line, a tag), in the encoding the client reads: UTF-8 for today's clients, the
// ANSI code page for mIRC 6 and older. This is the one place that converts answer text.
//
// Every answer stops at the text's first zero and is cut to the longest answer on a
// whole character. A conversion that fails answers the unconverted bytes, never nothing.
// Nothing is allocated: the conversions use the caller's stack.
#pragma once

#include <cstddef>

namespace zel {

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
