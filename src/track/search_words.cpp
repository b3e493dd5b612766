#include "track/search_words.h"

#include "text/case_fold.h"

namespace zel {
namespace {

bool IsBlank(char16_t unit) { return unit <= u' '; }

// True when the word stands anywhere in the text.
bool Holds(const char16_t* text, std::size_t length, const char16_t* word, std::size_t size) {
    if (size > length) return false;
    const char16_t first = word[0];
    const std::size_t last = length - size;
    for (std::size_t at = 0; at <= last; ++at) {
        if (text[at] != first) continue;
        std::size_t i = 1;
        while (i < size && text[at + i] == word[i]) ++i;
        if (i == size) return true;
    }
    return false;
}

}  // namespace

bool SplitSearchWords(const char16_t* text, std::size_t length, SearchWords& words) {
    words.count = 0;
    if (length > kDataCapacity) length = kDataCapacity;
    for (std::size_t i = 0; i < length; ++i) words.units[i] = text[i];
    FoldCase(words.units, length);
    std::size_t at = 0;
    while (at < length && words.count < kMostSearchWords) {
        while (at < length && IsBlank(words.units[at])) ++at;
        const std::size_t start = at;
        while (at < length && !IsBlank(words.units[at])) ++at;
        if (at == start) break;
        words.start[words.count] = static_cast<std::uint16_t>(start);
        words.length[words.count] = static_cast<std::uint16_t>(at - start);
        words.order[words.count] = static_cast<std::uint16_t>(words.count);
        ++words.count;
    }
    return words.count != 0;
}

bool HoldsEveryWord(SearchWords& words, const char16_t* title, std::size_t titleLength,
                    const char16_t* path, std::size_t pathLength) {
    for (std::size_t i = 0; i < words.count; ++i) {
        const std::uint16_t w = words.order[i];
        const char16_t* word = words.units + words.start[w];
        const std::size_t size = words.length[w];
        if (Holds(title, titleLength, word, size) || Holds(path, pathLength, word, size)) continue;
        // This word turned the entry down: it is tried first from now on.
        for (std::size_t k = i; k > 0; --k) words.order[k] = words.order[k - 1];
        words.order[0] = w;
        return false;
    }
    return true;
}

}  // namespace zel
