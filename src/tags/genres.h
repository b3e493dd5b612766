#pragma once

namespace zel {

constexpr int kGenreCount = 148;

// The name of an ID3v1 genre number, or null for a number past the table (148 to 255).
const char* GenreName(unsigned char genre);

}  // namespace zel
