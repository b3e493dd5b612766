#include "tags/genre_text.h"

#include "tags/genres.h"

namespace zel {
namespace {

constexpr char kOpen = '(';
constexpr char kClose = ')';
constexpr unsigned char kBlank = 32;
constexpr std::size_t kMaxGenreDigits = 3;  // the table's numbers stop below 1000

struct GenreCode {
    const char* code;
    const char* name;
};
constexpr GenreCode kGenreCodes[] = {{"RX", "Remix"}, {"CR", "Cover"}};

std::size_t LengthOf(const char* name) {
    std::size_t size = 0;
    while (name[size] != '\0') ++size;
    return size;
}

void Replace(FieldText& text, const char* name) {
    const std::size_t size = LengthOf(name);
    text.length = 0;
    text.closed = false;
    AppendLatin1(text, reinterpret_cast<const unsigned char*>(name), size);
    text.closed = true;
}

// The table's name for digits [begin, end), or null when they are not a number in it.
const char* NameOfNumber(const char* begin, const char* end) {
    const std::size_t count = static_cast<std::size_t>(end - begin);
    if (count == 0 || count > kMaxGenreDigits) return nullptr;
    int number = 0;
    for (const char* c = begin; c < end; ++c) {
        if (*c < '0' || *c > '9') return nullptr;
        number = number * 10 + (*c - '0');
    }
    return number < kGenreCount ? GenreName(static_cast<unsigned char>(number)) : nullptr;
}

// The name for what stands between the parentheses, or null.
const char* NameOfCode(const char* begin, const char* end) {
    const std::size_t count = static_cast<std::size_t>(end - begin);
    for (const GenreCode& code : kGenreCodes) {
        if (LengthOf(code.code) != count) continue;
        std::size_t same = 0;
        while (same < count && code.code[same] == begin[same]) ++same;
        if (same == count) return code.name;
    }
    return NameOfNumber(begin, end);
}

}  // namespace

void NormalizeGenre(FieldText& text) {
    const char* begin = text.bytes;
    const char* end = text.bytes + text.length;
    if (begin == end) return;
    if (begin[0] == kOpen) {
        if (end - begin >= 2 && begin[1] == kOpen) {
            // "((" keeps a text that starts with a parenthesis apart from a number.
            for (std::size_t i = 1; i < text.length; ++i) text.bytes[i - 1] = text.bytes[i];
            --text.length;
            return;
        }
        const char* close = begin + 1;
        while (close < end && *close != kClose) ++close;
        if (close == end) return;
        if (const char* name = NameOfCode(begin + 1, close)) Replace(text, name);
        return;
    }
    while (end > begin && static_cast<unsigned char>(end[-1]) <= kBlank) --end;
    if (const char* name = NameOfNumber(begin, end)) Replace(text, name);
}

}  // namespace zel
