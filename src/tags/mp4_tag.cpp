#include "tags/mp4_tag.h"

#include "tags/read/buffered_reader.h"
#include "tags/read/byte_order.h"
#include "tags/read/byte_stream.h"
#include "tags/genres.h"
#include "tags/mp4_boxes.h"
#include "tags/read/stream_text.h"

namespace zel {
namespace {

// The file-type box comes first: its type stands right after its 4-byte size.
constexpr std::size_t kFileTypeEnd = 8;
constexpr std::size_t kFileTypeOffset = 4;
constexpr std::size_t kYearCharacters = 4;

// meta carries a version and flags before its children. Some writers leave them out;
// there the first child's type (its handler, "hdlr") stands where a box's type would.
constexpr std::int64_t kMetaVersionSize = 4;
constexpr std::int64_t kChildTypeOffset = 4;

// A data box's body: type code (version byte and 24-bit type), locale, then the value.
constexpr std::size_t kDataHeaderSize = 8;
constexpr std::uint32_t kUtf8Data = 1;
constexpr std::size_t kGenreNumberSize = 2;  // "gnre": the genre's table number plus one

// Item types; 0xA9 is the copyright sign that starts the text items' names.
constexpr char kTitleItem[5] = "\xA9nam";
constexpr char kArtistItem[5] = "\xA9" "ART";
constexpr char kAlbumItem[5] = "\xA9" "alb";
constexpr char kYearItem[5] = "\xA9" "day";
constexpr char kCommentItem[5] = "\xA9" "cmt";
constexpr char kGenreItem[5] = "\xA9gen";
constexpr char kGenreNumberItem[5] = "gnre";

const char (&ItemOf(TagField field))[5] {
    switch (field) {
        case TagField::Title: return kTitleItem;
        case TagField::Artist: return kArtistItem;
        case TagField::Album: return kAlbumItem;
        case TagField::Year: return kYearItem;
        case TagField::Comment: return kCommentItem;
        case TagField::Genre: return kGenreItem;
    }
    return kTitleItem;
}

// Finds moov/udta/meta/ilst; sets *begin and *end to the item list's body.
bool FindItemList(BufferedReader& reader, std::int64_t* begin, std::int64_t* end) {
    Mp4Box moov, udta, meta, ilst;
    if (!FindMp4Box(reader, 0, reader.source->size, "moov", moov) ||
        !FindMp4Box(reader, moov.body, moov.end, "udta", udta) ||
        !FindMp4Box(reader, udta.body, udta.end, "meta", meta)) {
        return false;
    }
    std::int64_t children = meta.body + kMetaVersionSize;
    unsigned char type[4];
    if (ReadThrough(reader, meta.body + kChildTypeOffset, type, sizeof type) && IsFourCc(type, "hdlr")) {
        children = meta.body;
    }
    if (!FindMp4Box(reader, children, meta.end, "ilst", ilst)) return false;
    *begin = ilst.body;
    *end = ilst.end;
    return true;
}

// Finds an item's first data box; sets *type and the value's extent.
bool FindItemValue(BufferedReader& reader, const Mp4Box& item, std::uint32_t* type, std::int64_t* begin,
                   std::int64_t* end) {
    Mp4Box data;
    unsigned char header[kDataHeaderSize];
    if (!FindMp4Box(reader, item.body, item.end, "data", data) ||
        data.end - data.body < static_cast<std::int64_t>(kDataHeaderSize) ||
        !ReadThrough(reader, data.body, header, kDataHeaderSize)) {
        return false;
    }
    *type = ReadBe32(header);
    *begin = data.body + static_cast<std::int64_t>(kDataHeaderSize);
    *end = data.end;
    return true;
}

void AppendItemText(BufferedReader& reader, const Mp4Box& item, FieldText& out) {
    std::uint32_t type = 0;
    RangeStream value;
    value.reader = &reader;
    if (!FindItemValue(reader, item, &type, &value.offset, &value.end) || type != kUtf8Data) return;
    ByteStream stream = StreamOf(value);
    AppendStreamText(stream, nullptr, 0, static_cast<std::uint64_t>(value.end - value.offset),
                     TextEncoding::Utf8, out);
}

// A "gnre" item's genre, by name; nothing for numbers outside the table.
void AppendGenreName(BufferedReader& reader, const Mp4Box& item, FieldText& out) {
    std::uint32_t type = 0;
    std::int64_t begin = 0, end = 0;
    unsigned char number[kGenreNumberSize];
    if (!FindItemValue(reader, item, &type, &begin, &end) ||
        end - begin < static_cast<std::int64_t>(kGenreNumberSize) ||
        !ReadThrough(reader, begin, number, kGenreNumberSize)) {
        return;
    }
    const std::uint32_t genre = ReadBe16(number);
    if (genre == 0 || genre > static_cast<std::uint32_t>(kGenreCount)) return;
    const char* name = GenreName(static_cast<unsigned char>(genre - 1));
    for (const char* c = name; *c != '\0'; ++c) AppendCodePoint(out, static_cast<unsigned char>(*c));
}

bool HasFileType(BufferedReader& reader) {
    unsigned char start[kFileTypeEnd];
    return ReadThrough(reader, 0, start, kFileTypeEnd) && IsFourCc(start + kFileTypeOffset, "ftyp");
}

}  // namespace

bool IsMp4(const TagSource& source) {
    BufferedReader reader;
    StartReader(reader, source);
    return HasFileType(reader);
}

bool ReadMp4Field(const TagSource& source, TagField field, FieldText& out) {
    out.length = 0;
    out.closed = false;
    BufferedReader reader;
    StartReader(reader, source);
    if (!HasFileType(reader)) return false;
    std::int64_t offset = 0, end = 0;
    if (!FindItemList(reader, &offset, &end)) return false;

    const char (&wanted)[5] = ItemOf(field);
    bool haveGenreNumber = false;
    // Every item takes at least its header, so the walk ends within the list.
    for (Mp4Box item; offset < end; offset = item.end) {
        if (!ReadMp4Box(reader, offset, end, item)) break;
        if (IsFourCc(item.type, wanted)) {
            out.length = 0;
            out.closed = false;
            AppendItemText(reader, item, out);
            break;
        }
        if (field == TagField::Genre && !haveGenreNumber && IsFourCc(item.type, kGenreNumberItem)) {
            haveGenreNumber = true;
            AppendGenreName(reader, item, out);  // kept unless a text genre follows
        }
    }
    if (field == TagField::Year) KeepFirstCharacters(out, kYearCharacters);
    return true;
}

}  // namespace zel
