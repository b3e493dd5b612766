// The argument a script passes to a command: the text in the client's data buffer. It is
// untrusted (often typed by someone in a channel), so it is read bounded by the buffer's
// size, decoded strictly from the client's encoding, trimmed of blanks at both ends, and
// then parsed into exactly one kind of value (a file or a stream: path_argument.h). What
// does not parse is answered with a text that begins "ERR " and says what was wrong; the
// command then sends nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/host_command.h"

namespace zel {

struct CallArgument {
    // The decoded text, blanks at both ends removed, zero-terminated.
    char16_t text[kDataCapacity + 1];
    std::size_t length = 0;
    // False when the bytes are not valid text in the client's encoding.
    bool decoded = false;
};

// Reads the argument from the client's data buffer: its bytes up to the first zero, and
// never more than the buffer's 900. Call before anything writes an answer there.
void ReadCallArgument(const char* data, CallArgument& argument);

// True for an argument that is empty after trimming (and was valid text).
bool IsEmptyArgument(const CallArgument& argument);

// A whole number in plain decimal digits (no sign, no blanks) that fits 32 bits signed.
bool ParseWholeNumber(const CallArgument& argument, std::int32_t* value);

// How a value given with an optional sign applies to the current one.
enum class Change { Set, Add, Subtract };

// A whole number with an optional leading "+" or "-": an amount to set, add or subtract.
bool ParseAmount(const CallArgument& argument, Change* change, std::int32_t* amount);

// A time as seconds ("95"), minutes and seconds ("1:35") or hours, minutes and seconds
// ("0:01:35"), the fields after a colon two digits below 60, with an optional leading
// "+" or "-". The seconds fit 32 bits signed when counted in milliseconds.
bool ParseClockTime(const CallArgument& argument, Change* change, std::int32_t* seconds);

// "on" or "off" in any case, or "1" or "0".
bool ParseSwitch(const CallArgument& argument, bool* on);

// Answers "ERR " followed by the reason. Returns the command's result.
int AnswerError(char* data, const char* reason);

}  // namespace zel
