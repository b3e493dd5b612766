// The words a playlist search looks for, and the test of one entry against them: an entry
// matches when each word stands, in any case, in its title or in its file path.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/host_command.h"

namespace zel {

// A word takes at least one unit and a blank follows it, so the argument holds at most this
// many.
constexpr std::size_t kMostSearchWords = (kDataCapacity + 1) / 2;

struct SearchWords {
    char16_t units[kDataCapacity];  // the folded words, one after another
    std::uint16_t start[kMostSearchWords];
    std::uint16_t length[kMostSearchWords];
    // The order the words are tried in: the word an entry last failed on comes first, so
    // that most entries are turned down by their first test.
    std::uint16_t order[kMostSearchWords];
    std::size_t count = 0;
};

// Splits length units of text at blanks (units of value 32 or less, as the argument's
// ends are trimmed) into words, folded. False when the text holds no word.
bool SplitSearchWords(const char16_t* text, std::size_t length, SearchWords& words);

// True when each word stands in the title or in the path, both folded.
bool HoldsEveryWord(SearchWords& words, const char16_t* title, std::size_t titleLength,
                    const char16_t* path, std::size_t pathLength);

}  // namespace zel
