// The ID3 version 1 tag: the last 128 bytes of a track file.
#pragma once

#include <cstddef>

#include "tags/read/tag_source.h"

namespace zel {

constexpr std::size_t kId3v1Size = 128;

struct Id3v1Field {
    std::size_t offset;
    std::size_t width;
};

constexpr Id3v1Field kId3v1Signature{0, 3};
constexpr Id3v1Field kId3v1Title{3, 30};
constexpr Id3v1Field kId3v1Artist{33, 30};
constexpr Id3v1Field kId3v1Album{63, 30};
constexpr Id3v1Field kId3v1Year{93, 4};
constexpr Id3v1Field kId3v1Comment{97, 30};  // a track number in its last byte is kept
constexpr std::size_t kId3v1GenreOffset = 127;

// True when the block starts with the signature "TAG" (case matters).
bool HasId3v1Signature(const unsigned char (&block)[kId3v1Size]);

// A text field without blanks and control bytes (32 or less, and 127) at either end. Sets *start and
// returns the length; 0 when nothing is left.
std::size_t TrimmedField(const unsigned char (&block)[kId3v1Size], Id3v1Field field,
                         const unsigned char** start);

// Reads the tag at the end of a file: false when the file is shorter than a tag or its
// last 128 bytes do not start with the signature.
bool ReadId3v1Block(const TagSource& source, unsigned char (&block)[kId3v1Size]);

// The same for the current track's file, found through the playlist.
bool ReadId3v1Block(unsigned char (&block)[kId3v1Size]);

}  // namespace zel
