#pragma once

#include <cstddef>

namespace zel {

// The caption read holds at most 255 characters and a zero byte.
constexpr int kCaptionCapacity = 256;

// Removes the first "- Winamp" from a zero-terminated caption, in place, keeping the
// blank before it and everything after it. Returns the title's length. The same rule
// holds for the caption's bytes and for its UTF-16 text.
std::size_t CaptionTitle(char* caption);
std::size_t CaptionTitle(char16_t* caption);

}  // namespace zel
