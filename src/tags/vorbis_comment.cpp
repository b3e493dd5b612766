#include "tags/vorbis_comment.h"

#include "tags/read/byte_order.h"
#include "tags/read/stream_text.h"

namespace zel {
namespace {

constexpr std::size_t kLengthSize = 4;
constexpr std::size_t kYearCharacters = 4;

// The comment names a field is read from: the first that is present wins, and a
// comment named by `preferred` wins over any named by `fallback`.
struct FieldNames {
    const char* preferred;
    const char* fallback;  // null when there is none
};

constexpr FieldNames NamesOf(TagField field) {
    switch (field) {
        case TagField::Title: return {"TITLE", nullptr};
        case TagField::Artist: return {"ARTIST", nullptr};
        case TagField::Album: return {"ALBUM", nullptr};
        case TagField::Year: return {"DATE", "YEAR"};
        case TagField::Comment: return {"COMMENT", "DESCRIPTION"};
        case TagField::Genre: return {"GENRE", nullptr};
    }
    return {"", nullptr};
}

// Room for the longest name looked for and its '='.
constexpr std::size_t kNamePrefix = 12;

unsigned char Upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c; }

// When the comment's first bytes are name (any case) followed by '=', the offset of the
// value after them; otherwise 0.
std::size_t ValueAfterName(const unsigned char* prefix, std::size_t size, const char* name) {
    if (name == nullptr) return 0;
    std::size_t i = 0;
    for (; name[i] != '\0'; ++i) {
        if (i >= size || Upper(prefix[i]) != static_cast<unsigned char>(name[i])) return 0;
    }
    return (i < size && prefix[i] == '=') ? i + 1 : 0;
}

void Clear(FieldText& out) {
    out.length = 0;
    out.closed = false;
}

}  // namespace

bool ReadVorbisComment(ByteStream& stream, TagField field, FieldText& out) {
    Clear(out);
    unsigned char number[kLengthSize];
    if (!stream.read(stream.state, number, kLengthSize) || !stream.skip(stream.state, ReadLe32(number)) ||
        !stream.read(stream.state, number, kLengthSize)) {
        return false;
    }
    const std::uint32_t count = ReadLe32(number);
    const FieldNames names = NamesOf(field);
    bool haveFallback = false;  // a fallback value is held; only a preferred one replaces it

    // Each comment takes at least its four length bytes, so a count of millions ends
    // at the stream's end.
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!stream.read(stream.state, number, kLengthSize)) break;
        const std::uint32_t size = ReadLe32(number);
        unsigned char prefix[kNamePrefix];
        const std::size_t taken = size < kNamePrefix ? size : kNamePrefix;
        if (!stream.read(stream.state, prefix, taken)) break;

        std::size_t valueStart = ValueAfterName(prefix, taken, names.preferred);
        const bool preferred = valueStart != 0;
        if (!preferred && !haveFallback) valueStart = ValueAfterName(prefix, taken, names.fallback);
        if (valueStart == 0) {
            if (!stream.skip(stream.state, size - taken)) break;
            continue;
        }
        // Part of the value may already be in the prefix.
        Clear(out);
        haveFallback = true;
        if (!AppendStreamText(stream, prefix + valueStart, taken - valueStart, size - taken,
                              TextEncoding::Utf8, out)) {
            Clear(out);  // the comment runs past the block: nothing of it is trusted
            break;
        }
        if (preferred) break;
    }
    if (field == TagField::Year) KeepFirstCharacters(out, kYearCharacters);
    return true;
}

}  // namespace zel
