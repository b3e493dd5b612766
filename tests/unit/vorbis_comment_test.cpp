// The comment block shared by FLAC and Ogg, and values read a piece at a time, over
// blocks built in memory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tag_bytes.h"
#include "tags/buffered_reader.h"
#include "tags/byte_stream.h"
#include "tags/stream_text.h"
#include "tags/vorbis_comment.h"

namespace {

using namespace std::string_literals;
using namespace zel::testing;
using zel::TagField;

struct Result {
    bool found;
    std::string text;
};

Result ReadBlock(const std::string& block, TagField field) {
    const zel::TagSource source = SourceOf(block);
    zel::BufferedReader reader;
    zel::StartReader(reader, source);
    zel::RangeStream range;
    range.reader = &reader;
    range.end = source.size;
    zel::ByteStream stream = zel::StreamOf(range);
    zel::FieldText out;
    const bool found = zel::ReadVorbisComment(stream, field, out);
    return {found, TextOf(out)};
}

TEST(VorbisComment, PicksEachFieldsFirstValue) {
    struct Case {
        const char* what;
        std::vector<std::string> comments;
        TagField field;
        std::string expected;
    } cases[] = {
        {"title", {"ARTIST=a", "TITLE=Ti"}, TagField::Title, "Ti"},
        {"artist, non-ASCII", {"ARTIST=Björk 東京 😀"}, TagField::Artist, "Björk 東京 😀"},
        {"album", {"ALBUM=Al"}, TagField::Album, "Al"},
        {"genre", {"GENRE=Rock"}, TagField::Genre, "Rock"},
        {"genre number left as text", {"GENRE=(17)"}, TagField::Genre, "(17)"},
        {"names in any case", {"tItLe=lower"}, TagField::Title, "lower"},
        {"the first of a repeated field", {"TITLE=one", "TITLE=two"}, TagField::Title, "one"},
        {"first of zero-separated values", {"TITLE=one\0two"s}, TagField::Title, "one"},
        {"leading blanks dropped, trailing kept", {"TITLE=  pad  "}, TagField::Title, "pad  "},
        {"a longer name is another field", {"TITLESORT=x", "TITLE=y"}, TagField::Title, "y"},
        {"a name without '=' is no field", {"TITLE", "TITLEx=1"}, TagField::Title, ""},
        {"empty value", {"TITLE="}, TagField::Title, ""},
        {"absent", {"ARTIST=a"}, TagField::Title, ""},
        {"no comments", {}, TagField::Title, ""},
        {"year: first four characters of DATE", {"DATE=2004-05-06"}, TagField::Year, "2004"},
        {"year: DATE wins over an earlier YEAR", {"YEAR=1999", "DATE=2004"}, TagField::Year, "2004"},
        {"year: DATE wins over a later YEAR", {"DATE=2004", "YEAR=1999"}, TagField::Year, "2004"},
        {"year: YEAR without DATE", {"YEAR=1999", "YEAR=1998"}, TagField::Year, "1999"},
        {"comment", {"DESCRIPTION=d", "COMMENT=c"}, TagField::Comment, "c"},
        {"comment: DESCRIPTION without COMMENT", {"DESCRIPTION=d"}, TagField::Comment, "d"},
        {"invalid UTF-8 replaced", {"TITLE=a\xff" "b"}, TagField::Title, "a\xEF\xBF\xBD" "b"},
    };
    for (const Case& c : cases) {
        const Result r = ReadBlock(VorbisBlock(c.comments), c.field);
        EXPECT_TRUE(r.found) << c.what;
        EXPECT_EQ(r.text, c.expected) << c.what;
    }
}

TEST(VorbisComment, HostileSizesEndTheWalkWithWhatWasFound) {
    const std::string title = Le32(7) + "TITLE=t";
    struct Case {
        const char* what;
        std::string block;
        bool found;
        std::string title;
    } cases[] = {
        {"count of millions, one comment", VorbisBlock({"TITLE=t"}, "v", 50000000), true, "t"},
        {"count of 4 billion, no comments", VorbisBlock({}, "v", 0xFFFFFFFF), true, ""},
        {"comment length of 4 GiB", VorbisBlock({"ARTIST=a"}, "v", 2) + Le32(0xFFFFFFFF) + "TITLE=x", true, ""},
        {"4 GiB length after the field", VorbisBlock({"TITLE=t"}, "v", 2) + Le32(0xFFFFFFFF), true, "t"},
        {"value cut by the block's end", Le32(0) + Le32(1) + Le32(100) + "TITLE=cut", true, ""},
        {"long value cut by the block's end", Le32(0) + Le32(1) + Le32(100) + "TITLE=cut but long", true, ""},
        {"the comment before a cut one is kept", VorbisBlock({"TITLE=t"}, "v", 2) + Le32(9) + "TITLE", true, "t"},
        {"vendor length of 4 GiB", Le32(0xFFFFFFFF) + "v" + Le32(1) + title, false, ""},
        {"no count", Le32(1) + "v", false, ""},
        {"empty", "", false, ""},
    };
    for (const Case& c : cases) {
        const Result r = ReadBlock(c.block, TagField::Title);
        EXPECT_EQ(r.found, c.found) << c.what;
        EXPECT_EQ(r.text, c.title) << c.what;
    }
}

// A value read in pieces must come out exactly as if decoded whole, wherever a piece
// boundary cuts a character, and must stop at the FieldText's capacity.
TEST(StreamText, PiecesDecodeLikeOneRun) {
    const std::string characters[] = {"é", "€", "😀", "\xff", "\xe2\x82", "a"};
    for (std::size_t shift = 0; shift < 4; ++shift) {
        for (const std::string& fill : characters) {
            std::string value = std::string(shift + 1, 'x');
            while (value.size() < 4000) value += fill + "é€😀";
            for (std::size_t head = 0; head <= 12; head += 6) {
                zel::FieldText whole;
                zel::AppendUtf8(whole, reinterpret_cast<const unsigned char*>(value.data()), value.size());

                const zel::TagSource source = SourceOf(value);
                zel::BufferedReader reader;
                zel::StartReader(reader, source);
                zel::RangeStream range;
                range.reader = &reader;
                range.offset = static_cast<std::int64_t>(head);
                range.end = source.size;
                zel::ByteStream stream = zel::StreamOf(range);
                zel::FieldText pieces;
                EXPECT_TRUE(zel::AppendStreamText(stream, reinterpret_cast<const unsigned char*>(value.data()),
                                                  head, value.size() - head, zel::TextEncoding::Utf8, pieces));
                EXPECT_EQ(TextOf(pieces), TextOf(whole)) << "shift " << shift << " fill " << fill;
                EXPECT_EQ(range.offset, source.size) << "the rest of the value is passed over";
            }
        }
    }
}

TEST(StreamText, StopsReadingAfterBlanksAndLatin1) {
    // A value of a megabyte of blanks: only the first bytes are read, the rest skipped.
    const std::string value = std::string(1 << 20, ' ') + "late";
    const zel::TagSource source = SourceOf(value);
    zel::BufferedReader reader;
    zel::StartReader(reader, source);
    zel::RangeStream range;
    range.reader = &reader;
    range.end = source.size;
    zel::ByteStream stream = zel::StreamOf(range);
    zel::FieldText out;
    EXPECT_TRUE(zel::AppendStreamText(stream, nullptr, 0, value.size(), zel::TextEncoding::Utf8, out));
    EXPECT_EQ(TextOf(out), "");
    EXPECT_EQ(range.offset, source.size);

    const std::string latin1 = "caf\xe9";
    const zel::TagSource source1 = SourceOf(latin1);
    zel::StartReader(reader, source1);
    range.offset = 0;
    range.end = source1.size;
    zel::FieldText text;
    EXPECT_TRUE(zel::AppendStreamText(stream, nullptr, 0, latin1.size(), zel::TextEncoding::Latin1, text));
    EXPECT_EQ(TextOf(text), "café");
    // A value longer than what is left fails, after reading what is there.
    range.offset = 0;
    zel::FieldText cut;
    EXPECT_FALSE(zel::AppendStreamText(stream, nullptr, 0, 100, zel::TextEncoding::Latin1, cut));
}

}  // namespace
