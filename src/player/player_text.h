// Texts the player answers by address: for some requests its answer is the address, in
// its own memory, of a zero-terminated text (an entry's path, its playlist directory).
// They are read from the process that owns the player's window, opened for reading its
// memory only, page by page, so that a text that ends right before unreadable memory is
// still read whole and nothing past it is touched.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

// The longest text read: a text whose zero is not within this many characters counts as
// not answered.
constexpr std::size_t kLongestPlayerText = 32767;

// Sends the request and reads the text at the address it answers. Returns the text's
// length in characters and keeps its first capacity - 1 characters and a zero in out;
// -1 when the player answered no address (0, or 1 for a request it does not know), its
// memory cannot be read, or the text has no readable terminating zero.
std::ptrdiff_t AskPlayerText(std::int32_t code, std::int32_t argument, char16_t* out,
                             std::size_t capacity);
std::ptrdiff_t AskPlayerText(std::int32_t code, std::int32_t argument, char* out,
                             std::size_t capacity);

}  // namespace zel
