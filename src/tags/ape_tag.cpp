#include "tags/ape_tag.h"

#include "tags/read/buffered_reader.h"
#include "tags/read/byte_order.h"
#include "tags/read/byte_stream.h"
#include "tags/id3v1.h"
#include "tags/read/stream_text.h"

namespace zel {
namespace {

// The footer: "APETAGEX", version, tag size (items and footer, not a header), item
// count, flags, 8 reserved bytes; numbers little-endian.
constexpr std::size_t kFooterSize = 32;
constexpr std::size_t kPreambleSize = 8;
constexpr std::size_t kVersionOffset = 8;
constexpr std::size_t kTagSizeOffset = 12;
constexpr std::size_t kItemCountOffset = 16;
constexpr std::uint32_t kVersion1 = 1000;  // its values are ISO-8859-1, not UTF-8

// An item: value size, flags, a key of 2 to 255 ASCII characters ending with a zero
// byte, then the value.
constexpr std::size_t kItemHeaderSize = 8;
constexpr std::size_t kItemFlagsOffset = 4;
constexpr std::size_t kMaxKey = 255;
constexpr std::uint32_t kValueKindShift = 1;
constexpr std::uint32_t kValueKindMask = 3;
constexpr std::uint32_t kTextValue = 0;  // others: binary data, a link, reserved
constexpr std::size_t kYearCharacters = 4;

const char* KeyOf(TagField field) {
    switch (field) {
        case TagField::Title: return "TITLE";
        case TagField::Artist: return "ARTIST";
        case TagField::Album: return "ALBUM";
        case TagField::Year: return "YEAR";
        case TagField::Comment: return "COMMENT";
        case TagField::Genre: return "GENRE";
    }
    return "";
}

unsigned char Upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c; }

// True when the zero-terminated key equals name (upper case) in any case.
bool KeyMatches(const unsigned char* key, const char* name) {
    std::size_t i = 0;
    for (; name[i] != '\0'; ++i) {
        if (Upper(key[i]) != static_cast<unsigned char>(name[i])) return false;
    }
    return key[i] == '\0';
}

bool IsFooter(const unsigned char* footer) {
    constexpr char kPreamble[kPreambleSize + 1] = "APETAGEX";
    for (std::size_t i = 0; i < kPreambleSize; ++i) {
        if (footer[i] != static_cast<unsigned char>(kPreamble[i])) return false;
    }
    return true;
}

// Finds the footer at the file's end, or before an ID3v1 tag there; sets *offset.
bool FindFooter(BufferedReader& reader, unsigned char* footer, std::int64_t* offset) {
    const std::int64_t size = reader.source->size;
    const auto footerSize = static_cast<std::int64_t>(kFooterSize);
    const auto id3v1Size = static_cast<std::int64_t>(kId3v1Size);
    if (size >= footerSize && ReadThrough(reader, size - footerSize, footer, kFooterSize) && IsFooter(footer)) {
        *offset = size - footerSize;
        return true;
    }
    // The ID3v1 signature and the footer before it come from one window of the reader.
    const std::int64_t id3v1 = size - id3v1Size;
    unsigned char signature[3];
    if (size < footerSize + id3v1Size || !ReadThrough(reader, id3v1 - footerSize, footer, kFooterSize) ||
        !ReadThrough(reader, id3v1, signature, sizeof signature) || signature[0] != 'T' ||
        signature[1] != 'A' || signature[2] != 'G') {
        return false;
    }
    *offset = id3v1 - footerSize;
    return IsFooter(footer);
}

}  // namespace

bool ReadApeField(const TagSource& source, TagField field, FieldText& out) {
    out.length = 0;
    out.closed = false;
    BufferedReader reader;
    StartReader(reader, source);
    unsigned char footer[kFooterSize];
    std::int64_t footerOffset = 0;
    if (!FindFooter(reader, footer, &footerOffset)) return false;
    const std::uint32_t tagSize = ReadLe32(footer + kTagSizeOffset);
    if (tagSize < kFooterSize || tagSize > footerOffset + static_cast<std::int64_t>(kFooterSize)) return false;
    const std::uint32_t count = ReadLe32(footer + kItemCountOffset);
    const TextEncoding encoding =
        ReadLe32(footer + kVersionOffset) == kVersion1 ? TextEncoding::Latin1 : TextEncoding::Utf8;
    const char* wanted = KeyOf(field);

    // Every item takes at least its header and a key, so a count of millions ends at the
    // footer.
    std::int64_t offset = footerOffset + static_cast<std::int64_t>(kFooterSize) - tagSize;
    for (std::uint32_t i = 0; i < count; ++i) {
        unsigned char item[kItemHeaderSize + kMaxKey + 1];
        const std::int64_t left = footerOffset - offset;
        if (left <= static_cast<std::int64_t>(kItemHeaderSize)) break;
        const std::size_t taken = left < static_cast<std::int64_t>(sizeof item) ? static_cast<std::size_t>(left)
                                                                               : sizeof item;
        if (!ReadThrough(reader, offset, item, taken)) break;
        const unsigned char* key = item + kItemHeaderSize;
        std::size_t keyEnd = kItemHeaderSize;
        while (keyEnd < taken && item[keyEnd] != 0) ++keyEnd;
        if (keyEnd == taken) break;  // no zero: the key runs past the tag or is too long
        const std::int64_t value = offset + static_cast<std::int64_t>(keyEnd) + 1;
        const std::uint32_t valueSize = ReadLe32(item);
        if (valueSize > footerOffset - value) break;
        const std::uint32_t kind = (ReadLe32(item + kItemFlagsOffset) >> kValueKindShift) & kValueKindMask;
        if (kind == kTextValue && KeyMatches(key, wanted)) {
            RangeStream range;
            range.reader = &reader;
            range.offset = value;
            range.end = value + valueSize;
            ByteStream stream = StreamOf(range);
            AppendStreamText(stream, nullptr, 0, valueSize, encoding, out);
            break;
        }
        offset = value + valueSize;
    }
    if (field == TagField::Year) KeepFirstCharacters(out, kYearCharacters);
    return true;
}

}  // namespace zel
