// FLAC and Ogg (Vorbis, Opus) tag readers over files built in memory.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "tag_bytes.h"
#include "tags/flac_tag.h"
#include "tags/ogg_tag.h"

namespace {

using namespace std::string_literals;
using namespace zel::testing;
using zel::TagField;

using Fields = std::array<std::string, 6>;  // title, artist, album, year, comment, genre
using Reader = std::function<bool(const zel::TagSource&, TagField, zel::FieldText&)>;

const std::vector<std::string> kComments = {
    "TITLE=Ünïcødé Title", "ARTIST=Артист", "ALBUM=アルバム",
    "DATE=2021-03-04",      "COMMENT=Ça va 😀", "GENRE=Électro"};
const Fields kExpected = {"Ünïcødé Title", "Артист", "アルバム", "2021", "Ça va 😀", "Électro"};
const Fields kNothing = {};

// Reads every field; all six reads must agree on whether the tag is there.
bool ReadAll(const Reader& read, const std::string& file, Fields& fields) {
    const zel::TagSource source = SourceOf(file);
    bool found[6];
    for (std::size_t i = 0; i < 6; ++i) {
        zel::FieldText out;
        found[i] = read(source, kAllFields[i], out);
        fields[i] = TextOf(out);
    }
    for (bool f : found) EXPECT_EQ(f, found[0]);
    return found[0];
}

Reader FlacAt(std::int64_t start) {
    return [start](const zel::TagSource& s, TagField f, zel::FieldText& out) {
        return zel::ReadFlacField(s, start, f, out);
    };
}
const Reader kOgg = zel::ReadOggField;

std::string BigPicture() { return FlacBlock(kFlacPicture, std::string(2 << 20, '\x89')); }

TEST(FlacTag, ReadsEveryFieldPastAPictureOfMegabytes) {
    const std::string comments = FlacBlock(kFlacComment, VorbisBlock(kComments));
    const std::string file = Flac(BigPicture() + FlacBlock(kFlacPadding, std::string(100, '\0')) + comments);
    Fields fields;
    EXPECT_TRUE(ReadAll(FlacAt(0), file, fields));
    EXPECT_EQ(fields, kExpected);

    // After an ID3v2 tag the caller names where "fLaC" stands.
    const std::string id3v2 = "ID3\x04" + std::string(200, '\0');
    EXPECT_TRUE(ReadAll(FlacAt(static_cast<std::int64_t>(id3v2.size())), id3v2 + file, fields));
    EXPECT_EQ(fields, kExpected);
    EXPECT_FALSE(ReadAll(FlacAt(0), id3v2 + file, fields));
}

TEST(FlacTag, UnsoundBlocksEndTheWalk) {
    const std::string comments = FlacBlock(kFlacComment, VorbisBlock({"TITLE=t"}));
    const std::string hugePicture = "\x06" + Be24(0xFFFFFF) + "short";
    struct Case {
        const char* what;
        std::string file;
        bool found;
        std::string title;
    } cases[] = {
        {"plain", Flac(comments), true, "t"},
        {"no comment block", Flac(FlacBlock(kFlacPadding, "pad")), false, ""},
        {"comment block after the last block", Flac(FlacBlock(kFlacPadding, "", true) + comments), false, ""},
        {"a block past the file's end", Flac(hugePicture + comments), false, ""},
        {"the comment block past the file's end", Flac("\x04" + Be24(1000) + VorbisBlock({"TITLE=t"})), false, ""},
        {"an invalid block type", Flac("\x7f" + Be24(0) + comments), false, ""},
        {"an empty comment block", Flac(FlacBlock(kFlacComment, "")), false, ""},
        {"only the marker", "fLaC", false, ""},
        {"not FLAC", "fLaX" + comments, false, ""},
        {"empty file", "", false, ""},
    };
    for (const Case& c : cases) {
        Fields fields;
        EXPECT_EQ(ReadAll(FlacAt(0), c.file, fields), c.found) << c.what;
        EXPECT_EQ(fields[0], c.title) << c.what;
    }
}

std::string VorbisFile(const std::vector<std::string>& comments, std::size_t maxSegments = 255) {
    return OggStream(0x1234, {VorbisIdentification(), "\x03vorbis" + VorbisBlock(comments) + "\x01",
                              "\x05vorbis setup"}, maxSegments);
}

std::string OpusFile(const std::vector<std::string>& comments, std::size_t maxSegments = 255) {
    return OggStream(0x99, {OpusIdentification(), "OpusTags" + VorbisBlock(comments), "audio"}, maxSegments);
}

TEST(OggTag, ReadsVorbisAndOpusCommentsOverManyPages) {
    // Cover art inside the comment packet, before the fields: hundreds of pages.
    std::vector<std::string> withPicture = {"METADATA_BLOCK_PICTURE=" + std::string(300000, 'Q')};
    withPicture.insert(withPicture.end(), kComments.begin(), kComments.end());
    const std::string files[] = {VorbisFile(kComments), OpusFile(kComments), VorbisFile(withPicture, 7),
                                 OpusFile(withPicture, 3), VorbisFile(kComments, 1)};
    for (const std::string& file : files) {
        Fields fields;
        EXPECT_TRUE(ReadAll(kOgg, file, fields));
        EXPECT_EQ(fields, kExpected);
    }
}

TEST(OggTag, PagesOfOtherStreamsArePassedOver) {
    const std::string file = VorbisFile(kComments, 2);
    const std::size_t firstPage = 27 + 1 + VorbisIdentification().size();
    const std::string other = OggPage(0x777, 0, kOggFirst, {10}, "TITLE=nope");
    Fields fields;
    EXPECT_TRUE(ReadAll(kOgg, file.substr(0, firstPage) + other + file.substr(firstPage), fields));
    EXPECT_EQ(fields, kExpected);
}

// Offsets of the pages' capture patterns.
std::vector<std::size_t> PageStarts(const std::string& file) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at + 27 <= file.size();) {
        starts.push_back(at);
        std::size_t body = 0;
        const auto count = static_cast<unsigned char>(file[at + 26]);
        for (std::size_t i = 0; i < count; ++i) body += static_cast<unsigned char>(file[at + 27 + i]);
        at += 27 + count + body;
    }
    return starts;
}

TEST(OggTag, BrokenPagesEndWithWhatWasFound) {
    // Title early in the comment packet, the genre on a later page.
    const std::vector<std::string> comments = {"TITLE=early", "COMMENT=" + std::string(2000, 'c'), "GENRE=late"};
    const std::string file = VorbisFile(comments, 2);
    const std::vector<std::size_t> pages = PageStarts(file);
    ASSERT_GT(pages.size(), 4u);

    std::string badCapture = file;
    badCapture[pages[3]] = 'X';
    std::string noContinuedFlag = file;
    noContinuedFlag[pages[3] + 5] = 0;
    std::string badVersion = file;
    badVersion[pages[3] + 4] = 1;
    const std::string truncated = file.substr(0, pages[3] + 40);

    // A comment packet that never ends: full segments on every page to the file's end.
    std::string neverEnding = OggPage(5, 0, kOggFirst, {30}, VorbisIdentification());
    const std::string start = "\x03vorbis" + VorbisBlock({"TITLE=t"}, "v", 3) + Le32(0x7FFFFFFF);
    neverEnding += OggPage(5, 1, 0, {255}, start + std::string(255 - start.size(), 'z'));
    for (std::uint32_t i = 2; i < 200; ++i) neverEnding += OggPage(5, i, kOggContinued, {255, 255}, std::string(510, 'z'));
    // An identification packet that never ends.
    const std::string endlessFirst = OggPage(5, 0, kOggFirst, {255}, VorbisIdentification() + std::string(225, 'i'));

    struct Case {
        const char* what;
        std::string file;
        bool found;
        std::string title, genre;
    } cases[] = {
        {"sound", file, true, "early", "late"},
        {"bad capture pattern", badCapture, true, "early", ""},
        {"a page that does not say it continues the packet", noContinuedFlag, true, "early", ""},
        {"an unknown page version", badVersion, true, "early", ""},
        {"cut inside the packet", truncated, true, "early", ""},
        {"a comment packet that never ends", neverEnding, true, "t", ""},
        {"an identification packet that never ends", endlessFirst, false, "", ""},
        {"Opus identification, Vorbis comment packet",
         OggStream(1, {OpusIdentification(), "\x03vorbis" + VorbisBlock({"TITLE=t"})}), false, "", ""},
        {"FLAC in Ogg", OggStream(1, {"\x7f" "FLAC" + std::string(40, '\0'), VorbisBlock({"TITLE=t"})}), false, "", ""},
        {"no comment packet", OggStream(1, {VorbisIdentification()}), false, "", ""},
        {"not Ogg", "OggT" + file.substr(4), false, "", ""},
        {"empty file", "", false, "", ""},
    };
    for (const Case& c : cases) {
        Fields fields;
        EXPECT_EQ(ReadAll(kOgg, c.file, fields), c.found) << c.what;
        EXPECT_EQ(fields[0], c.title) << c.what;
        EXPECT_EQ(fields[5], c.genre) << c.what;
    }
}

}  // namespace
