// FLAC and Ogg (Vorbis, Opus) tag readers over unsound files built in memory. Sound
// files with every field are read from disk in tag_files_test.cpp.
#include <gtest/gtest.h>

#include "tag_bytes.h"
#include "tags/flac_tag.h"
#include "tags/ogg_tag.h"

namespace {

using namespace std::string_literals;
using namespace zel::testing;

TEST(FlacTag, UnsoundBlocksEndTheWalk) {
    const std::string comments = FlacBlock(kFlacComment, VorbisBlock({"TITLE=t"}));
    const std::string id3v2 = "ID3\x04" + std::string(200, '\0');
    struct Case {
        const char* what;
        std::string file;
        std::int64_t start;
        bool found;
    } cases[] = {
        {"after padding", Flac(FlacBlock(kFlacPadding, "pad") + comments), 0, true},
        {"after an ID3v2 tag", id3v2 + Flac(comments), 204, true},
        {"an ID3v2 tag not passed", id3v2 + Flac(comments), 0, false},
        {"no comment block", Flac(FlacBlock(kFlacPadding, "pad", true)), 0, false},
        {"comment block after the last block", Flac(FlacBlock(kFlacPadding, "", true) + comments), 0, false},
        {"a block past the file's end", Flac("\x06" + Be32(0xFFFFFF).substr(1) + "x" + comments), 0, false},
        {"the comment block past the file's end", Flac("\x04\x00\x10\x00"s + VorbisBlock({"TITLE=t"})), 0, false},
        {"an invalid block type", Flac("\x7f\0\0\0"s + comments), 0, false},
        {"an empty comment block", Flac(FlacBlock(kFlacComment, "")), 0, false},
        {"only the marker", "fLaC", 0, false},
    };
    for (const Case& c : cases) {
        Fields fields;
        auto read = [&c](const zel::TagSource& s, zel::TagField f, zel::FieldText& out) {
            return zel::ReadFlacField(s, c.start, f, out);
        };
        EXPECT_EQ(ReadFields(SourceOf(c.file), read, fields), c.found) << c.what;
        EXPECT_EQ(fields[0], c.found ? "t" : "") << c.what;
    }
}

std::string VorbisFile(const std::vector<std::string>& comments, std::size_t maxSegments) {
    return OggStream(0x1234, {VorbisIdentification(), "\x03vorbis" + VorbisBlock(comments) + "\x01", "setup"},
                     maxSegments);
}

// Offsets of the pages.
std::vector<std::size_t> PageStarts(const std::string& file) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at + 27 <= file.size();) {
        starts.push_back(at);
        const std::size_t lacing = at + 27, count = static_cast<unsigned char>(file[at + 26]);
        at = lacing + count;
        for (std::size_t i = 0; i < count; ++i) at += static_cast<unsigned char>(file[lacing + i]);
    }
    return starts;
}

TEST(OggTag, PacketsOverPagesAndBrokenPages) {
    // The title early in the comment packet, the genre pages later.
    const std::vector<std::string> comments = {"TITLE=early", "COMMENT=" + std::string(2000, 'c'), "GENRE=late"};
    const std::string file = VorbisFile(comments, 2);
    const std::vector<std::size_t> pages = PageStarts(file);
    ASSERT_GT(pages.size(), 4u);
    auto patched = [&](std::size_t at, char byte) { return std::string(file).replace(at, 1, 1, byte); };
    const std::string otherStream = OggPage(0x777, 0, kOggFirst, {10}, "GENRE=nope");

    // A comment packet that never ends: full segments on every page to the file's end.
    const std::string start = "\x03vorbis" + VorbisBlock({"TITLE=t"}, 3) + Le32(0x7FFFFFFF);
    std::string neverEnding = OggPage(5, 0, kOggFirst, {30}, VorbisIdentification()) +
                              OggPage(5, 1, 0, {255}, start + std::string(255 - start.size(), 'z'));
    for (std::uint32_t i = 2; i < 200; ++i) neverEnding += OggPage(5, i, kOggContinued, {255, 255}, std::string(510, 'z'));

    struct Case {
        const char* what;
        std::string file;
        bool found;
        std::string title, genre;
    } cases[] = {
        {"two segments a page", file, true, "early", "late"},
        {"one segment a page", VorbisFile(comments, 1), true, "early", "late"},
        {"Opus", OggStream(9, {OpusIdentification(), "OpusTags" + VorbisBlock(comments), "audio"}, 3), true, "early", "late"},
        {"another stream's page", file.substr(0, pages[1]) + otherStream + file.substr(pages[1]), true, "early", "late"},
        {"bad capture pattern", patched(pages[3], 'X'), true, "early", ""},
        {"a page that does not continue the packet", patched(pages[3] + 5, 0), true, "early", ""},
        {"an unknown page version", patched(pages[3] + 4, 1), true, "early", ""},
        {"cut inside the packet", file.substr(0, pages[3] + 40), true, "early", ""},
        {"a comment packet that never ends", neverEnding, true, "t", ""},
        {"a first packet that never ends", OggPage(5, 0, kOggFirst, {255}, VorbisIdentification() + std::string(225, 'i')), false, "", ""},
        {"Opus, then a Vorbis comment packet", OggStream(1, {OpusIdentification(), "\x03vorbis" + VorbisBlock(comments)}), false, "", ""},
        {"FLAC in Ogg", OggStream(1, {"\x7f" "FLAC" + std::string(40, '\0'), VorbisBlock(comments)}), false, "", ""},
        {"no comment packet", OggStream(1, {VorbisIdentification()}), false, "", ""},
        {"not Ogg", "OggT" + file.substr(4), false, "", ""},
    };
    for (const Case& c : cases) {
        Fields fields;
        EXPECT_EQ(ReadFields(SourceOf(c.file), zel::ReadOggField, fields), c.found) << c.what;
        EXPECT_EQ(fields[0], c.title) << c.what;
        EXPECT_EQ(fields[5], c.genre) << c.what;
    }
}

}  // namespace
