// The ID3v1 block parser and the genre table, on blocks built in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tags/genres.h"
#include "tags/id3v1.h"

namespace {

using namespace std::string_literals;

struct Block {
    unsigned char bytes[zel::kId3v1Size];
};

// A block of zero bytes with `text` written at a field's offset (cut to its width).
Block WithField(zel::Id3v1Field field, const std::string& text) {
    Block block{};
    std::memcpy(block.bytes, "TAG", 3);
    std::memcpy(block.bytes + field.offset, text.data(), std::min(text.size(), field.width));
    return block;
}

std::string Trimmed(const Block& block, zel::Id3v1Field field) {
    const unsigned char* start = nullptr;
    const std::size_t length = zel::TrimmedField(block.bytes, field, &start);
    if (length == 0) return {};
    EXPECT_GE(start, block.bytes + field.offset);
    EXPECT_LE(start + length, block.bytes + field.offset + field.width);
    return std::string(reinterpret_cast<const char*>(start), length);
}

const zel::Id3v1Field kTextFields[] = {zel::kId3v1Title, zel::kId3v1Artist, zel::kId3v1Album,
                                        zel::kId3v1Comment};

TEST(Id3v1Field, TrimsBytesOf32AndLessAtBothEnds) {
    struct Case {
        const char* what;
        std::string field;
        std::string expected;
    } cases[] = {
        {"all zero", "", ""},
        {"all blanks", std::string(30, ' '), ""},
        {"blanks and control bytes", " \t\r\n\x01\x1f\0 "s, ""},
        {"plain", "Song", "Song"},
        {"three blanks, four letters, zeros", "   Song" + std::string(23, '\0'), "Song"},
        {"blank padded", "Song" + std::string(26, ' '), "Song"},
        {"inner zero stays inside", "ab\0cd"s, "ab\0cd"s},
        {"inner blanks stay", "  a b  c ", "a b  c"},
        {"control bytes trimmed both sides", "\x1f\x01x\x02\x1f", "x"},
        {"byte 33 is kept", "!", "!"},
        {"bytes of 128 and above are kept", "\xa0\xe9t\xe9\xff", "\xa0\xe9t\xe9\xff"},
        {"exactly 30 letters", std::string(30, 'w'), std::string(30, 'w')},
    };
    for (zel::Id3v1Field field : kTextFields) {
        for (const Case& c : cases) {
            EXPECT_EQ(Trimmed(WithField(field, c.field), field), c.expected)
                << c.what << " at offset " << field.offset;
        }
    }
}

TEST(Id3v1Field, FieldsDoNotRunIntoTheirNeighbours) {
    Block block{};
    std::memset(block.bytes, 'x', sizeof block.bytes);
    std::memcpy(block.bytes, "TAG", 3);
    // Each field blank, with letters right beside it: none may leak in.
    for (zel::Id3v1Field field : {zel::kId3v1Title, zel::kId3v1Artist, zel::kId3v1Album,
                                  zel::kId3v1Year, zel::kId3v1Comment}) {
        Block b = block;
        std::memset(b.bytes + field.offset, ' ', field.width);
        EXPECT_EQ(Trimmed(b, field), "") << "offset " << field.offset;
        std::memset(b.bytes + field.offset, 'y', field.width);
        EXPECT_EQ(Trimmed(b, field), std::string(field.width, 'y')) << "offset " << field.offset;
    }
}

TEST(Id3v1Field, Year) {
    struct Case {
        std::string year;
        std::string expected;
    } cases[] = {{"1999", "1999"}, {"    ", ""}, {std::string(4, '\0'), ""}, {" 99 ", "99"},
                 {"2024", "2024"}};
    for (const Case& c : cases) {
        Block block = WithField(zel::kId3v1Year, c.year);
        block.bytes[97] = 'c';  // the comment right after must not leak in
        EXPECT_EQ(Trimmed(block, zel::kId3v1Year), c.expected);
    }
}

TEST(Id3v1Field, CommentIsAll30BytesTrackNumberIncluded) {
    Block block = WithField(zel::kId3v1Comment, std::string(28, 'c') + "\0\x07"s);
    EXPECT_EQ(Trimmed(block, zel::kId3v1Comment), std::string(28, 'c'));  // 7 is trimmed
    block = WithField(zel::kId3v1Comment, std::string(28, 'c') + "\0Z"s);
    EXPECT_EQ(Trimmed(block, zel::kId3v1Comment), std::string(28, 'c') + "\0Z"s);
}

TEST(Id3v1Signature, MustBeTagInCapitals) {
    struct Case {
        std::string start;
        bool tag;
    } cases[] = {{"TAG", true},  {"TAGx", true}, {"tag", false}, {"Tag", false}, {"TAg", false},
                 {"xTAG", false}, {"TA\0"s, false}, {"\0\0\0"s, false}, {"TAH", false},
                 {"UAG", false}};
    for (const Case& c : cases) {
        Block block{};
        std::memcpy(block.bytes, c.start.data(), c.start.size());
        EXPECT_EQ(zel::HasId3v1Signature(block.bytes), c.tag) << c.start;
    }
}

// Every name, spelled as the players of the time spelled them; scripts compare these.
const char* const kExpectedGenres[] = {
    "Blues", "ClassicRock", "Country", "Dance", "Disco", "Funk", "Grunge", "HipHop", "Jazz", "Metal",
    "NewAge", "Oldies", "Other", "Pop", "RnB", "Rap", "Reagge", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "DeathMetal", "Pranks", "Soundtrack", "EuroTechno", "Ambient", "TripHop",
    "Vocal", "JazzFunk",
    "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "SoundClip", "Gospel",
    "Noise",
    "AlternativeRock", "Bass", "Soul", "Punk", "Space", "Meditative", "InstrumentalPop",
    "InstrumentalRock", "Ethnic", "Gothic",
    "Darkwave", "TechnoIndustrial", "Electronic", "PopFolk", "Eurodance", "Dream", "SouthernRock",
    "Comedy", "Cult", "Gangsta",
    "Top40", "ChristianRap", "PopFunk", "Jungle", "NativeUS", "Cabaret", "NewWave", "Psychadelic",
    "Rave", "Showtunes",
    "Trailer", "LoFi", "Tribal", "AcidPunk", "AcidJazz", "Polka", "Retro", "Musical", "RocknRoll",
    "HardRock",
    "Folk", "FolkRock", "NationalFolk", "Swing", "FastFusion", "Bebob", "Latin", "Revival", "Celtic",
    "Bluegrass",
    "Avantgarde", "GothicRock", "ProgressiveRock", "PsychedelicRock", "SymphonicRock", "SlowRock",
    "BigBand", "Chorus", "EasyListening", "Acoustic",
    "Humour", "Speech", "Chanson", "Opera", "ChamberMusic", "Sonata", "Symphony", "BootyBass",
    "Primus", "PornGroove",
    "Satire", "SlowJam", "Club", "Tango", "Samba", "Folklore", "Ballad", "PowerBallad",
    "RhytmicSoul", "Freestyle",
    "Duet", "PunkRock", "DrumSolo", "Acapella", "EuroHouse", "DanceHall", "Goa", "DrumnBass",
    "ClubHouse", "Hardcore",
    "Terror", "Indie", "BritPop", "Negerpunk", "PolskPunk", "Beat", "ChristianGangstaRap",
    "HeavyMetal", "BlackMetal", "Crossover",
    "ContemporaryChristian", "ChristianRock", "Merengue", "Salsa", "TrashMetal", "Anime", "JPop",
    "SynthPop",
};
static_assert(sizeof kExpectedGenres / sizeof kExpectedGenres[0] == 148, "148 genre names");

TEST(GenreName, EveryNameOfTheTable) {
    ASSERT_EQ(zel::kGenreCount, 148);
    for (int g = 0; g < 148; ++g) {
        const char* name = zel::GenreName(static_cast<unsigned char>(g));
        ASSERT_NE(name, nullptr) << "genre " << g;
        EXPECT_STREQ(name, kExpectedGenres[g]) << "genre " << g;
    }
}

TEST(GenreName, NoNamePastTheTable) {
    for (int g = 148; g <= 255; ++g) {
        EXPECT_EQ(zel::GenreName(static_cast<unsigned char>(g)), nullptr) << "genre " << g;
    }
}

}  // namespace
