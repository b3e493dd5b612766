// The bytes a playlist search looks for first. Decoding and folding every line would cost
// far more than reading the file, so the scan looks at raw bytes for two that stand side
// by side in any spelling of one word (its anchor), and decodes only the entries where
// they stand. Which two: of the pairs of adjacent characters in the words, the one whose
// bytes stand together least often in the start of the file.
//
// For adjacent characters a and b of a folded word, the text holds, where the word stands,
// some character that folds to a followed by one that folds to b: so the last byte of one
// of a's spellings stands right before the first byte of one of b's. Those spellings are
// every unit the system folds onto a (learnt from the fold itself: "K", "k" and the Kelvin
// sign for "k"), written in the file's encoding; a spelling the file's code page cannot
// write cannot stand in it. Such a byte pair never misses an entry the word is in, whatever
// the characters' lengths in bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "track/playlist_file.h"
#include "track/search_words.h"

namespace zel {

// A byte matches the probe when (byte | orMask) == value: one probe with orMask 0x20 takes
// both cases of an ASCII letter; orMask 0xFF takes every byte (value 0xFF) or none.
struct ByteProbe {
    unsigned char orMask;
    unsigned char value;
};

// A set of bytes: those that match either probe.
struct ByteSet {
    ByteProbe probe[2];
};

constexpr ByteSet kEveryByte = {{{0xFF, 0xFF}, {0xFF, 0xFF}}};
constexpr ByteSet kNoByte = {{{0xFF, 0x00}, {0xFF, 0x00}}};

inline bool InByteSet(const ByteSet& set, unsigned char byte) {
    return (byte | set.probe[0].orMask) == set.probe[0].value ||
           (byte | set.probe[1].orMask) == set.probe[1].value;
}

// Where an entry may match: a byte of `at` right after a byte of `before`. With no usable
// pair (a word of one character: `before` is every byte) or none at all (both are every
// byte), every line is a candidate.
struct SearchAnchor {
    ByteSet before;
    ByteSet at;
    // The bytes of `at` stood less often in the sample than those of `before`: a scan that
    // looks for one set first to pass over chunks without a candidate looks for these.
    bool atRarer;
};

// The different characters in the words that can anchor a search.
constexpr std::size_t kMostAnchorCharacters = kDataCapacity;
// The units that fold onto one character that are kept; a character with more is no anchor.
constexpr std::size_t kMostSpellings = 4;

// Room for choosing, kept off the stack.
struct AnchorRoom {
    std::uint64_t wanted[0x10000 / 64];  // a bit for each folded character of the words
    char16_t characters[kMostAnchorCharacters];  // those characters, in order
    char16_t spellings[kMostAnchorCharacters][kMostSpellings];
    unsigned char spellingCount[kMostAnchorCharacters];  // kMostSpellings + 1: too many
    ByteSet first[kMostAnchorCharacters];  // the first bytes of a character's spellings
    ByteSet last[kMostAnchorCharacters];   // their last bytes
    bool usable[kMostAnchorCharacters];
    std::uint64_t firstCount[kMostAnchorCharacters];  // how often those bytes stand in the sample
    std::uint64_t lastCount[kMostAnchorCharacters];
    char16_t scratch[4096];
};

// Chooses the anchor for files in the given encoding, by how often its bytes stand in a
// sample of the file (its first block).
SearchAnchor ChooseSearchAnchor(const SearchWords& words, PlaylistText text,
                                const unsigned char* sample, std::size_t size, AnchorRoom& room);

}  // namespace zel
