// The comment block shared by FLAC and Ogg, and values read a piece at a time.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tag_bytes.h"
#include "tags/read/byte_stream.h"
#include "tags/read/stream_text.h"
#include "tags/vorbis_comment.h"

namespace {

using namespace std::string_literals;
using namespace zel::testing;
using zel::TagField;

// A stream over all of `bytes` from `from`. It keeps its own copy of them, so a stream
// made from a temporary reads nothing freed.
struct Stream {
    explicit Stream(std::string text, std::int64_t from = 0)
        : bytes(std::move(text)), source(SourceOf(bytes)) {
        zel::StartReader(reader, source);
        range.reader = &reader;
        range.offset = from;
        range.end = source.size;
        stream = zel::StreamOf(range);
    }
    std::string bytes;
    zel::TagSource source;
    zel::BufferedReader reader;
    zel::RangeStream range;
    zel::ByteStream stream;
};

TEST(VorbisComment, FirstValueOfEachFieldAndHostileSizes) {
    struct Case {
        const char* what;
        std::string block;
        TagField field;
        bool found;
        std::string expected;
    } cases[] = {
        {"names in any case", VorbisBlock({"ARTIST=a", "tItLe=Tïtle 東京"}), TagField::Title, true, "Tïtle 東京"},
        {"the first of a repeated field", VorbisBlock({"TITLE=one", "TITLE=two"}), TagField::Title, true, "one"},
        {"first of zero-separated values", VorbisBlock({"TITLE=one\0two"s}), TagField::Title, true, "one"},
        {"leading blanks dropped, trailing kept", VorbisBlock({"GENRE=  (17)  "}), TagField::Genre, true, "(17)  "},
        {"a longer name is another field", VorbisBlock({"ALBUMSORT=x", "ALBUM=y"}), TagField::Album, true, "y"},
        {"a name without '='", VorbisBlock({"TITLE", "TITLEx=1"}), TagField::Title, true, ""},
        {"absent", VorbisBlock({"ARTIST=a"}), TagField::Title, true, ""},
        {"year: four characters of DATE", VorbisBlock({"DATE=2004-05-06"}), TagField::Year, true, "2004"},
        {"year: DATE after YEAR wins", VorbisBlock({"YEAR=1999", "DATE=2004"}), TagField::Year, true, "2004"},
        {"year: DATE before YEAR wins", VorbisBlock({"DATE=2004", "YEAR=1999"}), TagField::Year, true, "2004"},
        {"year: the first YEAR without DATE", VorbisBlock({"YEAR=1999", "YEAR=1998"}), TagField::Year, true, "1999"},
        {"COMMENT wins over DESCRIPTION", VorbisBlock({"DESCRIPTION=d", "COMMENT=c"}), TagField::Comment, true, "c"},
        {"DESCRIPTION without COMMENT", VorbisBlock({"DESCRIPTION=d"}), TagField::Comment, true, "d"},
        {"invalid UTF-8", VorbisBlock({"ARTIST=a\xff" "b"}), TagField::Artist, true, "a\xEF\xBF\xBD" "b"},
        {"count of millions", VorbisBlock({"TITLE=t"}, 50000000), TagField::Title, true, "t"},
        {"4 GiB comment before", VorbisBlock({}, 2) + Le32(0xFFFFFFFF) + "TITLE=x", TagField::Title, true, ""},
        {"4 GiB comment after", VorbisBlock({"TITLE=t"}, 2) + Le32(0xFFFFFFFF), TagField::Title, true, "t"},
        {"a comment past the block is dropped", VorbisBlock({}, 1) + Le32(100) + "TITLE=cut but long", TagField::Title, true, ""},
        {"4 GiB vendor", Le32(0xFFFFFFFF) + "v" + Le32(1) + Le32(7) + "TITLE=t", TagField::Title, false, ""},
        {"no count", Le32(1) + "v", TagField::Title, false, ""},
    };
    for (const Case& c : cases) {
        Stream s(c.block);
        zel::FieldText out;
        EXPECT_EQ(zel::ReadVorbisComment(s.stream, c.field, out), c.found) << c.what;
        EXPECT_EQ(TextOf(out), c.expected) << c.what;
    }
}

// Wherever a piece boundary cuts a character, a value read in pieces comes out exactly
// as if decoded in one run, up to the FieldText's capacity, and the rest is passed over.
TEST(StreamText, PiecesDecodeLikeOneRun) {
    for (const std::string fill : {"é", "😀", "\xff", "\xe2\x82", "a"}) {
        for (std::size_t shift = 0; shift < 4; ++shift) {
            std::string value(shift + 1, 'x');
            while (value.size() < 4000) value += fill + "é€😀";
            zel::FieldText whole, pieces;
            zel::AppendUtf8(whole, reinterpret_cast<const unsigned char*>(value.data()), value.size());
            const std::size_t head = shift * 3;  // bytes the caller has already read
            Stream s(value, static_cast<std::int64_t>(head));
            EXPECT_TRUE(zel::AppendStreamText(s.stream, reinterpret_cast<const unsigned char*>(value.data()), head,
                                              value.size() - head, zel::TextEncoding::Utf8, pieces));
            EXPECT_EQ(TextOf(pieces), TextOf(whole)) << "shift " << shift << " fill " << fill;
            EXPECT_EQ(s.range.offset, s.source.size);
        }
    }
    Stream blanks(std::string(1 << 20, ' ') + "late");  // not read to its end
    zel::FieldText out;
    EXPECT_TRUE(zel::AppendStreamText(blanks.stream, nullptr, 0, blanks.source.size, zel::TextEncoding::Utf8, out));
    EXPECT_EQ(TextOf(out), "");
    Stream latin1("caf\xe9");
    EXPECT_TRUE(zel::AppendStreamText(latin1.stream, nullptr, 0, 4, zel::TextEncoding::Latin1, out));
    EXPECT_EQ(TextOf(out), "café");
}

}  // namespace
