// MP4 and APE tag readers and format detection over files built in memory. Sound files
// with every field are read from disk in tag_files_test.cpp.
#include <gtest/gtest.h>

#include "tag_bytes.h"
#include "tags/ape_tag.h"
#include "tags/mp4_tag.h"
#include "tags/tag_format.h"

namespace {

using namespace std::string_literals;
using namespace zel::testing;
using zel::TagField;

template <typename Read>
void ExpectField(Read read, const std::string& file, TagField field, bool found, const std::string& expected,
                 const char* what) {
    zel::FieldText out;
    EXPECT_EQ(read(SourceOf(file), field, out), found) << what;
    EXPECT_EQ(TextOf(out), expected) << what;
}

TEST(Mp4Tag, ItemsAndGenreNumbers) {
    // A meta box without its version bytes, its handler first.
    const std::string noVersion =
        FileType() + Box("moov", Box("udta", Box("meta", Box("hdlr", std::string(20, '\0')) +
                                                             Box("ilst", Item("\xA9nam", "qt")))));
    const std::string mdat64 = Be32(1) + "mdat" + Be64(16 + 50) + std::string(50, '\0');
    struct Case {
        const char* what;
        std::string file;
        TagField field;
        bool found;
        std::string expected;
    } cases[] = {
        {"genre number names a genre", Mp4WithItems(Item("gnre", Be16(18), 0)), TagField::Genre, true, "Rock"},
        {"genre number 148", Mp4WithItems(Item("gnre", Be16(148), 0)), TagField::Genre, true, "SynthPop"},
        {"genre number 0", Mp4WithItems(Item("gnre", Be16(0), 0)), TagField::Genre, true, ""},
        {"genre number 149", Mp4WithItems(Item("gnre", Be16(149), 0)), TagField::Genre, true, ""},
        {"genre text after a number wins", Mp4WithItems(Item("gnre", Be16(18), 0) + Item("\xA9gen", "Text")), TagField::Genre, true, "Text"},
        {"genre text before a number wins", Mp4WithItems(Item("\xA9gen", "Text") + Item("gnre", Be16(18), 0)), TagField::Genre, true, "Text"},
        {"first of two data boxes", Mp4WithItems(Box("\xA9nam", Box("data", Be32(1) + Be32(0) + "one") + Box("data", Be32(1) + Be32(0) + "two"))), TagField::Title, true, "one"},
        {"year: four characters", Mp4WithItems(Item("\xA9" "day", "2004-05-06T00:00:00Z")), TagField::Year, true, "2004"},
        {"a value that is not text", Mp4WithItems(Item("\xA9nam", "\x00\x01"s, 21)), TagField::Title, true, ""},
        {"a data box shorter than its header", Mp4WithItems(Box("\xA9nam", Box("data", "abc"))), TagField::Title, true, ""},
        {"after media data with a 64-bit size", Mp4WithItems(Item("\xA9nam", "big"), mdat64), TagField::Title, true, "big"},
        {"meta without version bytes", noVersion, TagField::Title, true, "qt"},
        {"no item list", FileType() + Box("moov", Box("udta", "")), TagField::Title, false, ""},
        {"not MP4", "\0\0\0\x08" "ftyX"s + Mp4WithItems(Item("\xA9nam", "t")).substr(8), TagField::Title, false, ""},
    };
    for (const Case& c : cases) ExpectField(zel::ReadMp4Field, c.file, c.field, c.found, c.expected, c.what);
}

TEST(Mp4Tag, UnsoundBoxSizesEndTheWalk) {
    const std::string file = Mp4WithItems(Item("\xA9" "ART", "a") + Item("\xA9nam", "t"));
    const std::size_t moov = file.find("moov") - 4, artist = file.find("\xA9" "ART") - 4,
                      title = file.find("\xA9nam") - 4;
    auto sized = [&](std::size_t at, const std::string& size) { return std::string(file).replace(at, 4, size); };
    struct Case {
        const char* what;
        std::string file;
        bool found;
        std::string title;
    } cases[] = {
        {"sound", file, true, "t"},
        {"moov past the file", sized(moov, Be32(0x7FFFFFF0)), false, ""},
        {"moov smaller than its header", sized(moov, Be32(4)), false, ""},
        {"a 64-bit size past the file", file.substr(0, moov) + Be32(1) + "mdat" + Be64(~0ull) + file.substr(moov), false, ""},
        {"a 64-bit size cut by the file's end", file + Be32(1) + "mdat", true, "t"},
        {"the last item of size 0", sized(title, Be32(0)), true, "t"},
        {"an item of size 0 swallows the rest", sized(artist, Be32(0)), true, ""},
        {"an item past its list", sized(artist, Be32(0x1000)), true, ""},
        {"an item of size 1 without a 64-bit size", sized(title, Be32(1)), true, ""},
        {"a data box past its item", sized(title + 8, Be32(0x100)), true, ""},
        {"cut inside the list", file.substr(0, title + 10), false, ""},
    };
    for (const Case& c : cases) ExpectField(zel::ReadMp4Field, c.file, TagField::Title, c.found, c.title, c.what);
}

TEST(ApeTag, ItemsAndHostileSizes) {
    const std::string audio(300, '\x01');
    const std::string title = ApeItem("Title", "t");
    const std::string header = "APETAGEX" + Le32(2000) + Le32(title.size() + 32) + Le32(1) + Le32(0xA0000000);
    struct Case {
        const char* what;
        std::string file;
        bool found;
        std::string title;
    } cases[] = {
        {"before ID3v1", audio + ApeTag(title, 1) + Id3v1("v1"), true, "t"},
        {"with a header", audio + header + std::string(8, '\0') + ApeTag(title, 1), true, "t"},
        {"the whole file", ApeTag(ApeItem("TITLE", "Tïtle"), 1), true, "Tïtle"},
        {"first of zero-separated values", audio + ApeTag(ApeItem("Title", "one\0two"s), 1), true, "one"},
        {"first of two items", audio + ApeTag(title + ApeItem("title", "two"), 2), true, "t"},
        {"a binary item is passed over", audio + ApeTag(ApeItem("Title", "bin", 1 << 1) + title, 2), true, "t"},
        {"a longer key is another item", audio + ApeTag(ApeItem("Titles", "x") + title, 2), true, "t"},
        {"version 1 is ISO-8859-1", audio + ApeTag(ApeItem("Title", "caf\xe9"), 1, 1000), true, "café"},
        {"count of millions", audio + ApeTag(ApeItem("Artist", "a") + title, 50000000), true, "t"},
        {"an item past the tag", audio + ApeTag(Le32(0x40) + Le32(0) + "Title\0t"s, 1) + Id3v1("v1"), true, ""},
        {"an item of 4 GiB", audio + ApeTag(Le32(0xFFFFFFF0) + Le32(0) + "Artist\0"s + title, 2), true, ""},
        {"a key without its zero", audio + ApeTag("\x01\0\0\0\0\0\0\0Title"s, 1), true, ""},
        {"a key longer than 255", audio + ApeTag(ApeItem(std::string(300, 'k'), "v") + title, 2), true, ""},
        {"tag size past the file", audio.substr(0, 10) + title + ApeFooter(1000, 1), false, ""},
        {"tag size below the footer's", audio + title + ApeFooter(31, 1), false, ""},
        {"ID3v1 only", audio + Id3v1("v1"), false, ""},
        {"APE, then other bytes", audio + ApeTag(title, 1) + "junk", false, ""},
    };
    for (const Case& c : cases) ExpectField(zel::ReadApeField, c.file, TagField::Title, c.found, c.title, c.what);
    ExpectField(zel::ReadApeField, audio + ApeTag(ApeItem("Year", "2004-05"), 1), TagField::Year, true, "2004", "year");
}

TEST(TagFormat, DetectedByContent) {
    const std::string id3v2 = "ID3\x04" + std::string(30, '\0');
    struct Case {
        const char* what;
        std::string file;
        std::int64_t afterId3v2;
        zel::TagFormat format;
    } cases[] = {
        {"FLAC", Flac(""), 0, zel::TagFormat::Flac},
        {"FLAC after ID3v2", id3v2 + Flac(""), 34, zel::TagFormat::Flac},
        {"FLAC after ID3v2 not passed", id3v2 + Flac(""), 0, zel::TagFormat::Other},
        {"Ogg Vorbis", OggStream(1, {VorbisIdentification()}), 0, zel::TagFormat::Ogg},
        {"Ogg Opus", OggStream(1, {OpusIdentification()}), 0, zel::TagFormat::Ogg},
        {"Ogg Theora", OggStream(1, {"\x80theora" + std::string(40, '\0')}), 0, zel::TagFormat::Other},
        {"a broken Ogg page", "OggS\x01" + OggStream(1, {VorbisIdentification()}).substr(5), 0, zel::TagFormat::Other},
        {"MP4", Mp4WithItems(""), 0, zel::TagFormat::Mp4},
        {"MP3", id3v2 + "\xff\xfb\x90\x44" + std::string(400, '\0'), 34, zel::TagFormat::Other},
        {"short", "fLa", 0, zel::TagFormat::Other},
    };
    for (const Case& c : cases) EXPECT_EQ(zel::DetectTagFormat(SourceOf(c.file), c.afterId3v2), c.format) << c.what;
}

}  // namespace
