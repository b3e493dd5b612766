// MP4 and APE tag readers, and format detection, over files built in memory.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tag_bytes.h"
#include "tags/ape_tag.h"
#include "tags/mp4_tag.h"
#include "tags/tag_format.h"

namespace {

using namespace std::string_literals;
using namespace zel::testing;
using zel::TagField;

struct Read {
    bool found;
    std::string text;
};

Read Mp4(const std::string& file, TagField field) {
    zel::FieldText out;
    const bool found = zel::ReadMp4Field(SourceOf(file), field, out);
    return {found, TextOf(out)};
}

Read Ape(const std::string& file, TagField field) {
    zel::FieldText out;
    const bool found = zel::ReadApeField(SourceOf(file), field, out);
    return {found, TextOf(out)};
}

const std::string kMp4Items = Item("\xA9nam", "Ünïcødé Title") + Item("\xA9" "ART", "Артист") +
                              Item("\xA9" "alb", "アルバム") + Item("\xA9" "day", "2021-03-04T00:00:00Z") +
                              Item("\xA9" "cmt", "Ça va 😀") + Item("\xA9gen", "Électro");
const std::array<std::string, 6> kExpected = {"Ünïcødé Title", "Артист", "アルバム", "2021", "Ça va 😀", "Électro"};

TEST(Mp4Tag, ReadsEveryItemAfterMediaData) {
    const std::string mdat = Box("free", "") + Box("mdat", std::string(100000, '\x5a'));
    const std::string files[] = {Mp4WithItems(kMp4Items), Mp4WithItems(kMp4Items, mdat),
                                 Mp4WithItems(kMp4Items, "", mdat)};
    for (const std::string& file : files) {
        EXPECT_TRUE(zel::IsMp4(SourceOf(file)));
        for (std::size_t i = 0; i < 6; ++i) {
            const Read r = Mp4(file, kAllFields[i]);
            EXPECT_TRUE(r.found);
            EXPECT_EQ(r.text, kExpected[i]);
        }
    }
}

TEST(Mp4Tag, ItemShapes) {
    const std::string mdat64 = Be32(1) + "mdat" + Be64(16 + 50) + std::string(50, '\0');
    // A meta box without its version bytes, its handler first.
    const std::string quickTimeMeta =
        FileType() + Box("moov", Box("udta", Box("meta", Box("hdlr", std::string(20, '\0')) +
                                                             Box("ilst", Item("\xA9nam", "qt")))));
    // The item list's last box with size 0: to the end of the file.
    std::string toEnd = Mp4WithItems(Item("\xA9nam", "zero"));
    toEnd.replace(toEnd.size() - Item("\xA9nam", "zero").size(), 4, Be32(0));
    struct Case {
        const char* what;
        std::string file;
        TagField field;
        bool found;
        std::string expected;
    } cases[] = {
        {"genre number names a genre", Mp4WithItems(Item("gnre", Be16(18), kMp4Implicit)), TagField::Genre, true, "Rock"},
        {"genre number 1 is the table's first", Mp4WithItems(Item("gnre", Be16(1), 0)), TagField::Genre, true, "Blues"},
        {"genre number 148 is the table's last", Mp4WithItems(Item("gnre", Be16(148), 0)), TagField::Genre, true, "SynthPop"},
        {"genre number 0 has no name", Mp4WithItems(Item("gnre", Be16(0), 0)), TagField::Genre, true, ""},
        {"genre number past the table", Mp4WithItems(Item("gnre", Be16(149), 0)), TagField::Genre, true, ""},
        {"genre number too short", Mp4WithItems(Item("gnre", "\x01", 0)), TagField::Genre, true, ""},
        {"genre text after number wins", Mp4WithItems(Item("gnre", Be16(18), 0) + Item("\xA9gen", "Text")), TagField::Genre, true, "Text"},
        {"genre text before number wins", Mp4WithItems(Item("\xA9gen", "Text") + Item("gnre", Be16(18), 0)), TagField::Genre, true, "Text"},
        {"first of two data boxes", Mp4WithItems(Box("\xA9nam", Box("data", Be32(1) + Be32(0) + "one") + Box("data", Be32(1) + Be32(0) + "two"))), TagField::Title, true, "one"},
        {"a value that is not UTF-8 text", Mp4WithItems(Item("\xA9nam", "\x00\x01"s, 21)), TagField::Title, true, ""},
        {"an item without data", Mp4WithItems(Box("\xA9nam", "")), TagField::Title, true, ""},
        {"a data box shorter than its header", Mp4WithItems(Box("\xA9nam", Box("data", "abc"))), TagField::Title, true, ""},
        {"64-bit sizes", Mp4WithItems(Item("\xA9nam", "big"), mdat64), TagField::Title, true, "big"},
        {"meta without version bytes", quickTimeMeta, TagField::Title, true, "qt"},
        {"size 0 runs to the end", toEnd, TagField::Title, true, "zero"},
        {"no item list", FileType() + Box("moov", Box("udta", "")), TagField::Title, false, ""},
        {"no moov", FileType() + Box("mdat", "x"), TagField::Title, false, ""},
        {"not MP4", Box("ftyX", "") + Mp4WithItems(kMp4Items).substr(8), TagField::Title, false, ""},
    };
    for (const Case& c : cases) {
        const Read r = Mp4(c.file, c.field);
        EXPECT_EQ(r.found, c.found) << c.what;
        EXPECT_EQ(r.text, c.expected) << c.what;
    }
}

TEST(Mp4Tag, UnsoundBoxSizesEndTheWalk) {
    const std::string file = Mp4WithItems(Item("\xA9" "ART", "a") + Item("\xA9nam", "t"));
    const std::size_t moov = file.find("moov") - 4;
    const std::size_t title = file.find("\xA9nam") - 4;
    const std::size_t artist = file.find("\xA9" "ART") - 4;
    auto withSize = [&](std::size_t at, const std::string& size) {
        std::string f = file;
        f.replace(at, 4, size);
        return f;
    };
    struct Case {
        const char* what;
        std::string file;
        bool found;
        std::string title;
    } cases[] = {
        {"sound", file, true, "t"},
        {"moov past the file", withSize(moov, Be32(0x7FFFFFF0)), false, ""},
        {"moov smaller than its header", withSize(moov, Be32(4)), false, ""},
        {"a 64-bit size past the file", file.substr(0, moov) + Be32(1) + "mdat" + Be64(~0ull) + file.substr(moov), false, ""},
        {"a 64-bit size cut by the file's end", file + Be32(1) + "mdat", true, "t"},
        {"an item past its list", withSize(artist, Be32(0x1000)), true, ""},
        {"an item of size 1 without its 64-bit size", withSize(title, Be32(1)), true, ""},
        {"an item of size 0 swallows the rest", withSize(artist, Be32(0)), true, ""},
        {"a data box past its item", withSize(title + 8, Be32(0x100)), true, ""},
        {"cut inside the list", file.substr(0, title + 10), false, ""},
    };
    for (const Case& c : cases) {
        const Read r = Mp4(c.file, TagField::Title);
        EXPECT_EQ(r.found, c.found) << c.what;
        EXPECT_EQ(r.text, c.title) << c.what;
    }
}

const std::string kApeItems = ApeItem("Title", "Ünïcødé Title") + ApeItem("ARTIST", "Артист") +
                              ApeItem("album", "アルバム") + ApeItem("Year", "2021-03-04") +
                              ApeItem("Comment", "Ça va 😀") + ApeItem("Genre", "Électro");

TEST(ApeTag, ReadsEveryItemAtTheEndOrBeforeId3v1) {
    const std::string audio(5000, '\xff');
    const std::string header = "APETAGEX" + Le32(2000) + Le32(kApeItems.size() + 32) + Le32(6) +
                               Le32(0xA0000000) + std::string(8, '\0');
    const std::string files[] = {audio + ApeTag(kApeItems, 6), audio + ApeTag(kApeItems, 6) + Id3v1("v1"),
                                 audio + header + ApeTag(kApeItems, 6), ApeTag(kApeItems, 6)};
    for (const std::string& file : files) {
        for (std::size_t i = 0; i < 6; ++i) {
            const Read r = Ape(file, kAllFields[i]);
            EXPECT_TRUE(r.found);
            EXPECT_EQ(r.text, kExpected[i]);
        }
    }
}

TEST(ApeTag, ItemsAndHostileSizes) {
    const std::string audio(300, '\x01');
    const std::string title = ApeItem("Title", "t");
    struct Case {
        const char* what;
        std::string file;
        bool found;
        std::string title;
    } cases[] = {
        {"first of zero-separated values", audio + ApeTag(ApeItem("Title", "one\0two"s), 1), true, "one"},
        {"first of two items", audio + ApeTag(title + ApeItem("TITLE", "two"), 2), true, "t"},
        {"a binary item is passed over", audio + ApeTag(ApeItem("Title", "bin", kApeBinary) + title, 2), true, "t"},
        {"a longer key is another item", audio + ApeTag(ApeItem("Titles", "x") + title, 2), true, "t"},
        {"version 1 values are ISO-8859-1", audio + ApeTag(ApeItem("Title", "caf\xe9"), 1, 1000), true, "café"},
        {"count of millions", audio + ApeTag(ApeItem("Artist", "a") + title, 50000000), true, "t"},
        {"count of zero", audio + ApeTag(title, 0), true, ""},
        {"an item past the tag", audio + ApeTag(Le32(0xFFFFFFF0) + Le32(0) + "Artist\0"s + title, 2), true, ""},
        {"a key without its zero", audio + ApeTag("\x01\0\0\0\0\0\0\0Title"s, 1), true, ""},
        {"a key longer than 255", audio + ApeTag(ApeItem(std::string(300, 'k'), "v") + title, 2), true, ""},
        {"tag size past the file", audio.substr(0, 10) + title + ApeFooter(1000, 1), false, ""},
        {"tag size smaller than the footer", audio + title + ApeFooter(31, 1), false, ""},
        {"ID3v1 without APE", audio + Id3v1("v1"), false, ""},
        {"APE then junk", audio + ApeTag(title, 1) + "junk", false, ""},
        {"nothing", audio, false, ""},
        {"empty", "", false, ""},
    };
    for (const Case& c : cases) {
        const Read r = Ape(c.file, TagField::Title);
        EXPECT_EQ(r.found, c.found) << c.what;
        EXPECT_EQ(r.text, c.title) << c.what;
    }
}

TEST(TagFormat, DetectedByContent) {
    const std::string vorbis = OggStream(1, {VorbisIdentification(), "\x03vorbis" + VorbisBlock({})});
    const std::string opus = OggStream(1, {OpusIdentification(), "OpusTags" + VorbisBlock({})});
    const std::string id3v2 = "ID3\x04" + std::string(30, '\0');
    struct Case {
        const char* what;
        std::string file;
        std::int64_t afterId3v2;
        zel::TagFormat format;
    } cases[] = {
        {"FLAC", Flac(""), 0, zel::TagFormat::Flac},
        {"FLAC after ID3v2", id3v2 + Flac(""), static_cast<std::int64_t>(id3v2.size()), zel::TagFormat::Flac},
        {"FLAC after ID3v2, wrong offset", id3v2 + Flac(""), 0, zel::TagFormat::Other},
        {"Ogg Vorbis", vorbis, 0, zel::TagFormat::Ogg},
        {"Ogg Opus", opus, 0, zel::TagFormat::Ogg},
        {"Ogg of another codec", OggStream(1, {"\x80theora" + std::string(40, '\0')}), 0, zel::TagFormat::Other},
        {"a broken Ogg page", "OggS\x01" + vorbis.substr(5), 0, zel::TagFormat::Other},
        {"MP4", Mp4WithItems(""), 0, zel::TagFormat::Mp4},
        {"MP3", id3v2 + "\xff\xfb\x90\x00" + std::string(400, '\0'), static_cast<std::int64_t>(id3v2.size()), zel::TagFormat::Other},
        {"short", "fLa", 0, zel::TagFormat::Other},
        {"empty", "", 0, zel::TagFormat::Other},
    };
    for (const Case& c : cases) EXPECT_EQ(zel::DetectTagFormat(SourceOf(c.file), c.afterId3v2), c.format) << c.what;
}

}  // namespace
