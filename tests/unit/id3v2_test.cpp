// The ID3v2 reader and genre naming, on tags built byte by byte in memory and in files.
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/handles.h"
#include "platform/sim.h"
#include "sim_fixture.h"
#include "tag_test_support.h"
#include "tag_bytes.h"
#include "tags/genre_text.h"
#include "tags/id3v2.h"

namespace {

using namespace std::string_literals;
using zel::TagField;
using zel::testing::BigEndian;
using zel::testing::Frame;
using zel::testing::Id3v2Tag;
using zel::testing::Syncsafe;

// Puts a zero after every 0xFF that is followed by a zero or a byte of 0xE0 and above.
std::string Unsynchronise(const std::string& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        const auto next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && (next == 0 || next >= 0xE0)) out += '\0';
    }
    return out;
}

std::string Latin1(const std::string& text) { return '\0' + text; }

std::string Utf16(const std::u16string& text, bool bigEndian) {
    std::string out;
    for (char16_t unit : text) {
        out += static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF);
        out += static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8);
    }
    return out;
}

// A COMM frame's data: encoding, language, description and text, each string with the
// ending its encoding uses.
std::string Comment(char encoding, const std::string& description, const std::string& text) {
    const std::string end = encoding == 1 || encoding == 2 ? "\0\0"s : "\0"s;
    return encoding + "eng"s + description + end + text;
}

std::optional<std::string> Read(const zel::TagSource& source, TagField field) {
    zel::FieldText out;
    if (!zel::ReadId3v2Field(source, field, out)) {
        EXPECT_EQ(out.length, 0u);
        return std::nullopt;
    }
    return std::string(out.bytes, out.length);
}

std::optional<std::string> Read(const std::string& file, TagField field = TagField::Title) {
    return Read(zel::MemoryTagSource(reinterpret_cast<const unsigned char*>(file.data()), file.size()),
                field);
}

// ---- Size --------------------------------------------------------------------------

TEST(Id3v2TagSize, HeaderFooterAndWhatIsNoTag) {
    const std::string body(300, '\0');
    struct Case {
        const char* what;
        std::string file;
        std::int64_t size;
    } cases[] = {
        {"2.3", Id3v2Tag(3, body), 310},
        {"2.2", Id3v2Tag(2, body), 310},
        {"2.4 with a footer", Id3v2Tag(4, body, 0x10) + "3DI", 320},
        {"2.3 has no footer flag", Id3v2Tag(3, body, 0x10), 310},
        {"largest claim, small file", "ID3\x04\0\0\x7f\x7f\x7f\x7f"s, 10 + 0x0FFFFFFF},
        {"version 5", Id3v2Tag(5, body), 0},
        {"version 1", Id3v2Tag(1, body), 0},
        {"lower case", "id3" + Id3v2Tag(3, body).substr(3), 0},
        {"size byte with top bit", "ID3\x03\0\0\0\0\x81\0"s + body, 0},
        {"nine bytes", Id3v2Tag(3, "").substr(0, 9), 0},
        {"empty", "", 0},
    };
    for (const Case& c : cases) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(c.file.data());
        EXPECT_EQ(zel::Id3v2TagSize(zel::MemoryTagSource(bytes, c.file.size())), c.size) << c.what;
    }
}

// ---- Fields ------------------------------------------------------------------------

TEST(Id3v2Field, EveryFieldInEveryVersion) {
    const char* const ids[][6] = {{"TT2", "TP1", "TAL", "TYE", "COM", "TCO"},
                                  {"TIT2", "TPE1", "TALB", "TYER", "COMM", "TCON"}};
    const char* const values[] = {"Title", "Artist", "Album", "1999", "Comment", "(17)"};
    for (int major = 2; major <= 4; ++major) {
        std::string body = Frame(major, major == 2 ? "TXX" : "TXXX", Latin1("x\0Title"s));
        for (int f = 0; f < 6; ++f) {
            const std::string data = f == 4 ? Comment(0, "", values[f]) : Latin1(values[f]);
            body += Frame(major, ids[major == 2 ? 0 : 1][f], data);
        }
        const std::string file = Id3v2Tag(major, body + std::string(64, '\0'));
        for (int f = 0; f < 6; ++f) {
            EXPECT_EQ(Read(file, static_cast<TagField>(f)), values[f]) << "2." << major << " field " << f;
        }
    }
    EXPECT_EQ(Read(Id3v2Tag(3, Frame(3, "TPE1", Latin1("A")))), "") << "a tag without the field";
}

TEST(Id3v2Field, Encodings) {
    struct Case {
        const char* what;
        std::string data;
        std::string expected;
    } cases[] = {
        {"Latin-1", "\0Caf\xe9"s, "Caf\xc3\xa9"},
        {"UTF-16 little-endian mark", "\x01\xff\xfe"s + Utf16(u"Caf\u00e9", false), "Caf\xc3\xa9"},
        {"UTF-16 big-endian mark", "\x01\xfe\xff"s + Utf16(u"Caf\u00e9", true), "Caf\xc3\xa9"},
        {"UTF-16 without a mark is little-endian", "\x01"s + Utf16(u"Ab", false), "Ab"},
        {"UTF-16BE", "\x02"s + Utf16(u"\u65e5\u672c", true), "\xe6\x97\xa5\xe6\x9c\xac"},
        {"UTF-16BE with a little-endian mark", "\x02\xff\xfe"s + Utf16(u"Ab", false), "Ab"},
        {"surrogate pair", "\x01\xff\xfe"s + Utf16(u"a\U0001F3B5b", false), "a\xf0\x9f\x8e\xb5" "b"},
        {"UTF-8", "\x03" "Caf\xc3\xa9"s, "Caf\xc3\xa9"},
        {"UTF-8 with a mark", "\x03\xef\xbb\xbfX"s, "X"},
        {"invalid UTF-8", "\x03" "a\xc3(b"s, "a\xef\xbf\xbd(b"},
        {"odd UTF-16 length", "\x01\xff\xfe" "A\0B"s, "A"},
        {"leading blanks", "\0  \x01Title"s, "Title"},
        {"first of several values", "\0One\0Two"s, "One"},
        {"first of several UTF-16 values",
         "\x01\xff\xfe"s + Utf16(u"One", false) + "\0\0\xff\xfe"s + Utf16(u"Two", false), "One"},
        {"unknown encoding", "\x04Title"s, ""},
        {"encoding byte only", "\x03"s, ""},
    };
    for (const Case& c : cases) {
        for (int major = 3; major <= 4; ++major) {
            EXPECT_EQ(Read(Id3v2Tag(major, Frame(major, "TIT2", c.data))), c.expected) << c.what;
        }
    }
    // A frame in an unknown encoding is as good as none: a later one answers.
    EXPECT_EQ(Read(Id3v2Tag(3, Frame(3, "TIT2", "\x09x"s) + Frame(3, "TIT2", Latin1("Second")))), "Second");
}

TEST(Id3v2Field, YearFromYearFrameElseFromRecordingDate) {
    const std::string tyer = Frame(4, "TYER", Latin1("1999"));
    const std::string tdrc = Frame(4, "TDRC", Latin1("2019-05-01T10:00"));
    const std::string other = Frame(4, "TIT2", Latin1("x"));
    EXPECT_EQ(Read(Id3v2Tag(4, tdrc + other), TagField::Year), "2019");
    EXPECT_EQ(Read(Id3v2Tag(4, tdrc + tyer), TagField::Year), "1999");
    EXPECT_EQ(Read(Id3v2Tag(4, tyer + tdrc), TagField::Year), "1999");
    EXPECT_EQ(Read(Id3v2Tag(4, Frame(4, "TDRC", "\x01\xff\xfe"s + Utf16(u"\U0001F3B5023", false))),
                   TagField::Year),
              "\xf0\x9f\x8e\xb5" "023") << "four characters, not four bytes";
    EXPECT_EQ(Read(Id3v2Tag(4, Frame(4, "TDRC", Latin1("99"))), TagField::Year), "99");
    // A year frame that holds more than a year is cut as a date is, in every version.
    EXPECT_EQ(Read(Id3v2Tag(3, Frame(3, "TYER", Latin1("2004-05-06"))), TagField::Year), "2004");
    EXPECT_EQ(Read(Id3v2Tag(2, Frame(2, "TYE", Latin1("2004-05-06"))), TagField::Year), "2004");
    EXPECT_EQ(Read(Id3v2Tag(4, tdrc + Frame(4, "TYER", Latin1("19999"))), TagField::Year), "1999");
}

TEST(Id3v2Field, CommentFrames) {
    struct Case {
        const char* what;
        std::string frames;
        std::string expected;
    } cases[] = {
        {"plain", Frame(3, "COMM", Comment(0, "", "Hello")), "Hello"},
        {"UTF-16 description and text, marks both ways",
         Frame(3, "COMM", "\x01" "eng\xff\xfe"s + Utf16(u"Desc", false) + "\0\0\xfe\xff"s +
                              Utf16(u"Text", true)),
         "Text"},
        {"UTF-16 description with a zero high byte",
         Frame(3, "COMM", Comment(1, "\xff\xfe\x00\x01"s, "\xff\xfe"s + Utf16(u"Yes", false))), "Yes"},
        {"UTF-8", Frame(3, "COMM", Comment(3, "d", "\xc3\xa9t\xc3\xa9")), "\xc3\xa9t\xc3\xa9"},
        {"the one without a description wins",
         Frame(3, "COMM", Comment(0, "Songs-DB", "described")) + Frame(3, "COMM", Comment(0, "", "mine")),
         "mine"},
        {"player data is never the comment",
         Frame(3, "COMM", Comment(1, Utf16(u"\ufeffiTunNORM", false), Utf16(u" 0000", false))) +
             Frame(3, "COMM", Comment(0, "iTunSMPB", "1 2")) + Frame(3, "COMM", Comment(0, "x", "kept")),
         "kept"},
        {"description without an end", Frame(3, "COMM", "\0engNoEnd"s), ""},
        {"UTF-16 description ended at an odd offset only",
         Frame(3, "COMM", "\x01" "engA\0\0B"s), ""},
        {"too short", Frame(3, "COMM", "\0en"s), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Read(Id3v2Tag(3, c.frames), TagField::Comment), c.expected) << c.what;
}

TEST(Id3v2Field, GenreIsRawAndNormalizeGenreNamesIt) {
    EXPECT_EQ(Read(Id3v2Tag(4, Frame(4, "TCON", Latin1("17\0Pop"s))), TagField::Genre), "17");
    struct Case {
        std::string text;
        std::string expected;
    } cases[] = {
        {"(17)", "Rock"},     {"17", "Rock"},          {"(17)Rock", "Rock"},   {"(9)Black", "Metal"},
        {"0", "Blues"},       {"147", "SynthPop"},     {"017", "Rock"},        {"17  ", "Rock"},
        {"(RX)", "Remix"},    {"(CR)", "Cover"},       {"(rx)", "(rx)"},       {"(RXX)", "(RXX)"},
        {"(200)", "(200)"},   {"148", "148"},          {"1700", "1700"},       {"(17", "(17"},
        {"17a", "17a"},       {"((Foo)", "(Foo)"},     {"Trip Hop", "Trip Hop"}, {"", ""},
        {"()", "()"},         {"(99999999999)", "(99999999999)"},
    };
    for (const Case& c : cases) {
        zel::FieldText text;
        zel::AppendUtf8(text, reinterpret_cast<const unsigned char*>(c.text.data()), c.text.size());
        zel::NormalizeGenre(text);
        EXPECT_EQ(std::string(text.bytes, text.length), c.expected) << c.text;
    }
}

// ---- Tag structure -----------------------------------------------------------------

TEST(Id3v2Structure, HeadersFlagsAndUnsynchronisation) {
    const std::string title = Latin1("T\xff\xe9tle");  // a byte pair the writer must break up
    const std::string padded = "\xff\xff\xff\xfe"s + std::string(251, '\xff');  // sizes with 0xFF
    const std::string privFrame3 = Frame(3, "PRIV", padded);
    struct Case {
        const char* what;
        std::string file;
    } cases[] = {
        {"2.3 extended header", Id3v2Tag(3, BigEndian(6, 4) + std::string(6, '\0') + Frame(3, "TIT2", title), 0x40)},
        {"2.4 extended header", Id3v2Tag(4, Syncsafe(6) + "\x01\0"s + Frame(4, "TIT2", title), 0x40)},
        {"2.4 footer", Id3v2Tag(4, Frame(4, "TIT2", title), 0x10) + "3DI\x04\0\x10"s + Syncsafe(0)},
        {"2.2 unsynchronised", Id3v2Tag(2, Unsynchronise(Frame(2, "PIC", padded) + Frame(2, "TT2", title)), 0x80)},
        {"2.3 unsynchronised", Id3v2Tag(3, Unsynchronise(privFrame3 + Frame(3, "TIT2", title)), 0x80)},
        {"2.3 unsynchronised extended header",
         Id3v2Tag(3, Unsynchronise(BigEndian(6, 4) + "\xff\xff\0\0\0\0"s + Frame(3, "TIT2", title)), 0xC0)},
        {"2.4 frame unsynchronised",
         Id3v2Tag(4, Frame(4, "TIT2", Unsynchronise(title), 0x02))},
        {"2.4 tag-wide unsynchronisation",
         Id3v2Tag(4, Frame(4, "PRIV", Unsynchronise(padded)) + Frame(4, "TIT2", Unsynchronise(title)), 0x80)},
        {"2.4 data length and group byte",
         Id3v2Tag(4, Frame(4, "TIT2", "\x07"s + Syncsafe(static_cast<std::uint32_t>(title.size())) + title, 0x41))},
        {"2.4 all three", Id3v2Tag(4, Frame(4, "TIT2", Unsynchronise("\xff"s + Syncsafe(7) + title), 0x43))},
        {"2.3 group byte", Id3v2Tag(3, Frame(3, "TIT2", "\x07"s + title, 0x20))},
        {"compressed and encrypted frames passed over",
         Id3v2Tag(3, Frame(3, "TIT2", "\0\0\0\x09x\x9c"s, 0x80) + Frame(3, "TIT2", "\x80xyz"s, 0x40) +
                    Frame(3, "TIT2", title))},
        {"2.4 compressed and encrypted passed over",
         Id3v2Tag(4, Frame(4, "TIT2", Syncsafe(9) + "x\x9c"s, 0x09) + Frame(4, "TIT2", "\x80xyz"s, 0x04) +
                    Frame(4, "TIT2", title))},
        {"a frame of no bytes is passed over", Id3v2Tag(3, Frame(3, "TPE1", "") + Frame(3, "TIT2", title))},
        {"a frame too short for its data length is passed over",
         Id3v2Tag(4, Frame(4, "TIT2", "ab", 0x01) + Frame(4, "TIT2", title))},
    };
    for (const Case& c : cases) EXPECT_EQ(Read(c.file), "T\xc3\xbf\xc3\xa9tle") << c.what;
}

std::string Claim256MiB(std::string tag) { return tag.replace(6, 4, "\x7f\x7f\x7f\x7f"); }

TEST(Id3v2Structure, BadInputEndsTheSearchWithWhatWasFound) {
    const std::string title = Frame(3, "TIT2", Latin1("Title"));
    const std::string artist = Frame(3, "TPE1", Latin1("Artist"));
    const std::string title4 = Frame(4, "TIT2", Latin1("Title"));
    std::string tooBig = Frame(3, "TPE1", Latin1("Artist"));
    tooBig[7] = 100;  // claims more than the tag holds
    // Read as a plain number this size would still fit the tag.
    std::string notSyncsafe4 = Frame(4, "TPE1", Latin1("Artist")) + std::string(200, '\0');
    notSyncsafe4[7] = '\x80';
    const std::string hugeTag = Claim256MiB(Id3v2Tag(4, title4));
    struct Case {
        const char* what;
        std::string file;
        std::optional<std::string> title, artist;
    } cases[] = {
        {"frame past the tag", Id3v2Tag(3, title + tooBig + Frame(3, "TPE1", Latin1("x"))), "Title", ""},
        {"frame past the tag's size though in the file", Id3v2Tag(3, "") + title, "", ""},
        {"2.4 size not syncsafe", Id3v2Tag(4, title4 + notSyncsafe4), "Title", ""},
        {"padding ends the frames", Id3v2Tag(3, title + std::string(20, '\0') + artist), "Title", ""},
        {"lower-case id", Id3v2Tag(3, title + Frame(3, "Tpe1", Latin1("x")) + artist), "Title", ""},
        {"cut off in a frame", Id3v2Tag(3, title + artist).substr(0, 10 + title.size() + 14), "Title", ""},
        {"256 MiB claimed on a small file", hugeTag, "Title", ""},
        {"256 MiB claimed, unsynchronised", Claim256MiB(Id3v2Tag(3, Unsynchronise(title), 0x80)), "Title", ""},
        {"2.4 extended header too small", Id3v2Tag(4, Syncsafe(5) + "\0"s + title4, 0x40), std::nullopt,
         std::nullopt},
        {"2.3 extended header past the tag", Id3v2Tag(3, BigEndian(99, 4) + title, 0x40), std::nullopt,
         std::nullopt},
        {"2.2 compressed tag", Id3v2Tag(2, Frame(2, "TT2", Latin1("T")), 0x40), std::nullopt, std::nullopt},
        {"unsynchronised junk where a frame should start", Id3v2Tag(3, "\xff\0"s + title, 0x80), "", ""},
        {"no tag", "ID4" + Id3v2Tag(3, title).substr(3), std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Read(c.file, TagField::Title), c.title) << c.what;
        EXPECT_EQ(Read(c.file, TagField::Artist), c.artist) << c.what;
    }
}

TEST(Id3v2Structure, LongValueFillsTheFieldWhole) {
    const std::string text = "\x01\xff\xfe"s + Utf16(std::u16string(9000, u'\u00e9'), false);
    zel::FieldText out;
    const std::string file = Id3v2Tag(4, Frame(4, "TIT2", text));
    ASSERT_TRUE(zel::ReadId3v2Field(
        zel::MemoryTagSource(reinterpret_cast<const unsigned char*>(file.data()), file.size()),
        TagField::Title, out));
    EXPECT_EQ(out.length, zel::kFieldTextCapacity - zel::kFieldTextCapacity % 2);
    EXPECT_EQ(std::string(out.bytes, 4), "\xc3\xa9\xc3\xa9");
}

// A 2 MiB picture before the title: its bytes lie in memory that cannot be read at all,
// so touching any of them ends the test program.
TEST(Id3v2Structure, PictureBeforeTheTitleIsNeverRead) {
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t picture = 2u << 20;
    const std::size_t total = page + picture + page;
    void* mapped = ::mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapped, MAP_FAILED);
    auto* base = static_cast<unsigned char*>(mapped);
    for (int major = 2; major <= 4; ++major) {
        const std::string titleFrame = Frame(major, major == 2 ? "TT2" : "TIT2", Latin1("After"));
        std::string head = Frame(major, major == 2 ? "PIC" : "APIC", std::string(picture, 'x'));
        head.resize(head.size() - picture);
        const std::string tag = Id3v2Tag(major, head + std::string(picture, 'x') + titleFrame);
        std::string front = tag.substr(0, 10 + head.size());
        unsigned char* start = base + page - front.size();
        ASSERT_EQ(::mprotect(base, total, PROT_READ | PROT_WRITE), 0);
        std::copy(front.begin(), front.end(), start);
        std::copy(titleFrame.begin(), titleFrame.end(), base + page + picture);
        ASSERT_EQ(::mprotect(base + page, picture, PROT_NONE), 0);
        EXPECT_EQ(Read(zel::MemoryTagSource(start, tag.size()), TagField::Title), "After") << major;
    }
    ::munmap(mapped, total);
}

// ---- Real files --------------------------------------------------------------------

class Id3v2FileTest : public zel::testing::SimTest {
protected:
    std::optional<std::string> ReadFile(const std::string& bytes, TagField field) {
        const std::string path = dir_ / "track.mp3";
        EXPECT_TRUE(zel::testing::WriteFile(path, bytes + std::string(4000, '\xff')));
        zel::platform::ScopedFile file(zel::platform::OpenFileForReading(zel::sim::WidePath(path).c_str(), true));
        std::int64_t size = 0;
        EXPECT_TRUE(file && zel::platform::GetFileSize64(file.get(), &size));
        return Read(zel::FileTagSource(file.get(), size), field);
    }
    zel::testing::ScratchDir dir_;
};

TEST_F(Id3v2FileTest, ReadsFromFiles) {
    const std::string frames = Frame(3, "PRIV", std::string(5000, '\xff')) +
                               Frame(3, "APIC", std::string(300000, '\0')) +
                               Frame(3, "TALB", Latin1("Album\xff"));
    EXPECT_EQ(ReadFile(Id3v2Tag(3, frames), TagField::Album), "Album\xc3\xbf");
    // Zeros put in after every 0xFF straddle the reader's blocks.
    EXPECT_EQ(ReadFile(Id3v2Tag(3, Unsynchronise(frames), 0x80), TagField::Album), "Album\xc3\xbf");
    EXPECT_EQ(ReadFile(Id3v2Tag(3, Unsynchronise(frames), 0x80), TagField::Artist), "");
}

}  // namespace
