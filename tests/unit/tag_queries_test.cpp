// The six tag queries end to end: a simulated player that writes its playlist into a
// scratch folder, and real track files of every shape and size behind its entries.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "exports.h"
#include "platform/long_path.h"
#include "sim_fixture.h"
#include "tag_bytes.h"
#include "tag_test_support.h"

namespace {

using namespace std::string_literals;
using zel::testing::Call;
using zel::testing::RequestCodes;
using zel::testing::ScratchDir;
using zel::testing::SimPlayer;
using zel::testing::WriteFile;
namespace sim = zel::sim;

using Answers = std::array<std::string, 6>;  // title, artist, album, year, comment, genre

const Answers kNoTag = {"n/a", "n/a", "n/a", "n/a", "n/a", "n/a"};

struct Tag {
    std::string title, artist, album, year, comment;
    int genre = 255;
};

std::string Field(const std::string& text, std::size_t width) {
    std::string field = text.substr(0, width);
    field.resize(width, '\0');
    return field;
}

// The 128 bytes of an ID3v1 block.
std::string TagBlock(const Tag& tag, const std::string& signature = "TAG") {
    std::string block = signature + Field(tag.title, 30) + Field(tag.artist, 30) +
                        Field(tag.album, 30) + Field(tag.year, 4) + Field(tag.comment, 30) +
                        std::string(1, static_cast<char>(tag.genre));
    EXPECT_EQ(block.size(), 128u);
    return block;
}

// A tag query resolves the entry twice: to test that it names a file, then to open it.
std::vector<std::intptr_t> TwoLookups() {
    const std::vector<std::intptr_t>& one = zel::testing::kPlaylistFileLookup;
    std::vector<std::intptr_t> codes = one;
    codes.insert(codes.end(), one.begin(), one.end());
    return codes;
}

const Tag kSong = {"Title", "Artist", "Album", "1999", "Comment", 17};
const Answers kSongAnswers = {"Title", "Artist", "Album", "1999", "Comment", "Rock"};

class TagQueryTest : public zel::testing::SimTest {
protected:
    // The player plays `entry` (its position is `position`, in a playlist of a header,
    // an information line and then `entry`).
    void Play(const std::string& entry, std::vector<std::int32_t> positions = {0}) {
        playlist_ = "#EXTM3U\r\n#EXTINF:215,Artist - Title\r\n" + entry + "\r\n";
        player_.playlist = &playlist_;
        player_.positions = std::move(positions);
        zel::testing::RegisterPlayer();
        zel::testing::StartPlayer(player_);
    }

    // A track file holding `bytes`, played by the player.
    std::string PlayFile(const std::string& bytes, const std::string& name = "track.mp3") {
        const std::string path = dir_ / name;
        EXPECT_TRUE(WriteFile(path, bytes));
        Play(path);
        return path;
    }

    static Answers AskAll() {
        return Ask({zel_winamp_id3_title, zel_winamp_id3_artist, zel_winamp_id3_album,
                    zel_winamp_id3_year, zel_winamp_id3_comment, zel_winamp_id3_genre});
    }

    // The same six fields from the file's best tag.
    static Answers AskBest() {
        return Ask({zel_winamp_tag_title, zel_winamp_tag_artist, zel_winamp_tag_album,
                    zel_winamp_tag_year, zel_winamp_tag_comment, zel_winamp_tag_genre});
    }

    static Answers Ask(const std::array<zel::testing::Command, 6>& queries) {
        Answers answers;
        for (std::size_t i = 0; i < answers.size(); ++i) {
            int result = 0;
            answers[i] = Call(queries[i], "abc", &result);
            EXPECT_EQ(result, 3);
        }
        return answers;
    }

    ScratchDir dir_;
    SimPlayer player_;
    std::string playlist_;
};

TEST_F(TagQueryTest, AnswersEachFieldOfTheTag) {
    struct Case {
        const char* what;
        Tag tag;
        Answers answers;
    } cases[] = {
        {"plain tag", kSong, kSongAnswers},
        {"inner zero: the client sees up to it", {"ab\0cd"s, "x", "y", "2000", "z", 0},
         {"ab", "x", "y", "2000", "z", "Blues"}},
        {"blanks, four letters, zeros", {"   Four", "   Four   ", "\tFour", " 1 ", "Four  ", 147},
         {"Four", "Four", "Four", "1", "Four", "SynthPop"}},
        {"blank-only fields", {std::string(30, ' '), "", " \t ", "    ", std::string(30, ' '), 1},
         {"n/a", "n/a", "n/a", "n/a", "n/a", "ClassicRock"}},
        {"bytes of 128 and above", {"\xe9t\xe9", "\xa0" "A", "\xff", "\xb2\xb0\xb0\xb0", "\x80", 80},
         {"\xe9t\xe9", "\xa0" "A", "\xff", "\xb2\xb0\xb0\xb0", "\x80", "Folk"}},
        {"all 30 bytes of each field",
         {std::string(30, 't'), std::string(30, 'a'), std::string(30, 'l'), "2107",
          std::string(30, 'c'), 146},
         {std::string(30, 't'), std::string(30, 'a'), std::string(30, 'l'), "2107",
          std::string(30, 'c'), "JPop"}},
        {"a track number in the comment's last byte", {"t", "a", "l", "1", "note" + std::string(25, '\0') + "\x05", 17},
         {"t", "a", "l", "1", "note", "Rock"}},
        {"control bytes: one blank a run, none at the ends", {"One\nTwo", "\x7f" "A\tB\x7f", "x\x1b", "1", "a\r\nb", 0},
         {"One Two", "A B", "x", "1", "a b", "Blues"}},
        {"genre 148 has no name", {"t", "a", "l", "1", "c", 148}, {"t", "a", "l", "1", "c", "n/a"}},
        {"genre 255 has no name", {"t", "a", "l", "1", "c", 255}, {"t", "a", "l", "1", "c", "n/a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        PlayFile(std::string(1000, 'm') + TagBlock(c.tag));
        EXPECT_EQ(AskAll(), c.answers);
    }
}

TEST_F(TagQueryTest, AnswersCodePageFieldsInTheClientsEncoding) {
    PlayFile(std::string(1000, 'm') +
             TagBlock({"\xe9t\xe9", "M\xf6tley", "\x80uro", "1999", "caf\xe9", 17}));
    zel::testing::LoadAsClient(zel::testing::kClientVersion7);
    EXPECT_EQ(AskAll(), (Answers{"\xc3\xa9t\xc3\xa9", "M\xc3\xb6tley", "\xe2\x82\xacuro", "1999",
                                 "caf\xc3\xa9", "Rock"}));
    zel::testing::LoadAsClient(zel::testing::kClientVersion6);
    EXPECT_EQ(AskAll(), (Answers{"\xe9t\xe9", "M\xf6tley", "\x80uro", "1999", "caf\xe9", "Rock"}));
}

TEST_F(TagQueryTest, ReadsOnlyTheLast128BytesAndTheirSignature) {
    const std::string block = TagBlock(kSong);
    struct Case {
        const char* what;
        std::string bytes;
        bool tag;
    } cases[] = {
        {"exactly 128 bytes", block, true},
        {"127 bytes", block.substr(0, 127), false},
        {"empty file", "", false},
        {"after audio data", std::string(4096, '\xff') + block, true},
        {"signature in lower case", TagBlock(kSong, "tag"), false},
        {"signature one byte too early", block + "x", false},
        {"signature one byte too late", "x" + block.substr(0, 127), false},
        {"an older tag further up does not count", block + std::string(128, ' '), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        PlayFile(c.bytes);
        EXPECT_EQ(AskAll(), c.tag ? kSongAnswers : kNoTag);
    }
}

TEST_F(TagQueryTest, EntriesThatNameNoFileAnswerNa) {
    ASSERT_EQ(::mkdir((dir_ / "folder.mp3").c_str(), 0755), 0);
    const std::string tagged = dir_ / "tagged.mp3";
    ASSERT_TRUE(WriteFile(tagged, TagBlock(kSong)));
    struct Case {
        const char* what;
        std::string entry;
        std::int32_t position;
    } cases[] = {
        {"no file at the entry", dir_ / "missing.mp3", 0},
        {"a directory at the entry", dir_ / "folder.mp3", 0},
        {"position -1: an empty entry", tagged, -1},
        {"position past the end", tagged, 1},
        {"position far past the end", tagged, 0x7fffffff},
        {"trailing blank is part of the path", tagged + " ", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        Play(c.entry, {c.position});
        EXPECT_EQ(AskAll(), kNoTag);
    }
}

TEST_F(TagQueryTest, NoPlaylistOrNoPlayerAnswersNa) {
    zel::testing::RegisterPlayer();
    player_.playlist = nullptr;
    zel::testing::StartPlayer(player_);
    EXPECT_EQ(AskAll(), kNoTag);  // the player never wrote a playlist

    sim::Reset();
    zel::testing::RegisterPlayer();
    EXPECT_EQ(AskAll(), kNoTag);  // no player, no playlist
}

TEST_F(TagQueryTest, FlushesTwiceAndOpensTheTrackSharingWrites) {
    PlayFile(TagBlock(kSong));
    const zel::testing::Command queries[] = {zel_winamp_id3_title, zel_winamp_id3_artist,
                                             zel_winamp_id3_album, zel_winamp_id3_year,
                                             zel_winamp_id3_comment, zel_winamp_id3_genre};
    for (zel::testing::Command query : queries) {
        sim::ClearMessages();
        const std::size_t opens = sim::FileOpenShareWrite().size();
        Call(query);
        EXPECT_EQ(RequestCodes(), TwoLookups());
        // The playlist twice sharing reading only, then the track sharing writing too.
        const std::vector<bool> shares(sim::FileOpenShareWrite().begin() + static_cast<long>(opens),
                                       sim::FileOpenShareWrite().end());
        EXPECT_EQ(shares, (std::vector<bool>{false, false, true}));
    }
}

TEST_F(TagQueryTest, ResolvesTheEntryAgainBeforeOpeningIt) {
    const std::string first = dir_ / "first.mp3";
    const std::string second = dir_ / "second.mp3";
    ASSERT_TRUE(WriteFile(first, TagBlock(kSong)));
    ASSERT_TRUE(WriteFile(second, TagBlock({"Next", "", "", "", "", 0})));
    const std::string twoEntries = first + "\r\n" + second;

    // The player moves on between the two lookups: the second entry is the one read.
    Play(twoEntries, {0, 1});
    EXPECT_EQ(Call(zel_winamp_id3_title), "Next");

    sim::Reset();
    player_.positionRequests = 0;
    Play(first + "\r\n" + dir_ / "gone.mp3", {0, 1});
    EXPECT_EQ(Call(zel_winamp_id3_title), "n/a");
}

TEST_F(TagQueryTest, ReadOnlyAndRelativeTrackFilesAnswerTheirTag) {
    const std::string path = PlayFile(TagBlock(kSong), "readonly.mp3");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(AskAll(), kSongAnswers);

    // A relative entry is found from the current directory (the scratch folder).
    sim::Reset();
    ASSERT_TRUE(WriteFile("relative.mp3", TagBlock(kSong)));
    Play("relative.mp3");
    EXPECT_EQ(AskAll(), kSongAnswers);
}

TEST_F(TagQueryTest, ModificationTimeOutsideDosDatesCountsAsNoFile) {
    struct Case {
        const char* what;
        std::time_t when;
        bool tag;
    } cases[] = {
        {"1970", 0, false},
        {"1979", 300000000, false},  // 1979-07-05
        {"1985", 500000000, true},
        {"2033", 2000000000, true},
        {"2110", 4418064000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        const std::string path = PlayFile(TagBlock(kSong));
        const struct timespec times[2] = {{c.when, 0}, {c.when, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        EXPECT_EQ(AskAll(), c.tag ? kSongAnswers : kNoTag);
    }
}

TEST_F(TagQueryTest, LongPathsAreOpenedWholeUpToWhatAnEntryHolds) {
    // Beside each track, a decoy named by the track's first characters (as many as an
    // entry holds, else all but the last): a path cut anywhere would answer its tag.
    struct Case {
        std::size_t length;
        bool tag;
    } cases[] = {{200, true}, {259, true}, {260, true}, {261, true}, {899, true},
                 {900, false}, {2000, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE("path of " + std::to_string(c.length));
        sim::Reset();
        // Folders of up to 200 characters, then a file name that makes up the length.
        std::string path = dir_.path();
        while (c.length - path.size() > 210) {
            path += "/" + std::string(200, 'd');
            ASSERT_TRUE(::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) << std::strerror(errno);
        }
        path += "/" + std::string(c.length - path.size() - 5, 'f') + ".mp3";
        ASSERT_EQ(path.size(), c.length);
        ASSERT_TRUE(WriteFile(path, TagBlock(kSong)));
        const std::string decoy = path.substr(0, std::min<std::size_t>(c.length - 1, 899));
        ASSERT_TRUE(WriteFile(decoy, TagBlock({"Decoy", "Decoy", "Decoy", "2000", "Decoy", 0})));
        Play(path);
        EXPECT_EQ(AskAll(), c.tag ? kSongAnswers : kNoTag);
        ::unlink(path.c_str());
        ::unlink(decoy.c_str());
    }
}

TEST(ExtendedLengthPath, PrefixesFullPathsOnly) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"C:\\a", u"\\\\?\\C:\\a"}, {u"\\\\srv\\a", u"\\\\?\\UNC\\srv\\a"},
        {u"\\\\.\\C:\\a", u"\\\\.\\C:\\a"}, {u"C:a", u""}, {u"\\a", u""}, {u"a", u""}};
    for (const auto& [full, extended] : cases) {
        char16_t out[16];
        EXPECT_EQ(std::u16string(out, zel::platform::ExtendedLengthPath(full.c_str(), out, 16)), extended);
        EXPECT_EQ(zel::platform::ExtendedLengthPath(full.c_str(), out, extended.size()), 0u) << "no room";
    }
}

// Sparse files: the tag sits at the real end, wherever the low 32 bits of the size point.
TEST_F(TagQueryTest, LargeFilesAreReadAtTheirRealEnd) {
    constexpr std::int64_t kGiB = std::int64_t{1} << 30;
    const Tag decoy = {"Decoy", "Decoy", "Decoy", "0000", "Decoy", 0};
    struct Case {
        const char* what;
        std::int64_t size;
    } cases[] = {
        {"3 GiB: the low 32 bits are negative", 3 * kGiB},
        {"4 GiB + 1000: the low 32 bits are 1000", 4 * kGiB + 1000},
        {"5 GiB", 5 * kGiB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        const std::string path = dir_ / "big.mp3";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(c.size)), 0);
        const std::string real = TagBlock(kSong);
        const std::string fake = TagBlock(decoy);
        // A decoy where a 32-bit size would have led the read.
        const std::int64_t low = static_cast<std::int64_t>(static_cast<std::uint32_t>(c.size));
        if (low >= 128) {
            ASSERT_EQ(::pwrite(fd, fake.data(), 128, static_cast<off_t>(low - 128)), 128);
        }
        ASSERT_EQ(::pwrite(fd, real.data(), 128, static_cast<off_t>(c.size - 128)), 128);
        ::close(fd);
        Play(path);
        EXPECT_EQ(AskAll(), kSongAnswers);
        ::unlink(path.c_str());
    }
}

// ---- The best tag: ID3v2 first, then ID3v1 ---------------------------------------------

namespace id3 = zel::testing;

std::string TextFrame(int major, const std::string& id, const std::string& latin1) {
    return id3::Frame(major, id, '\0' + latin1);
}

TEST_F(TagQueryTest, TheBestTagAnswersAndTheOlderOneFillsItsGaps) {
    const std::string longTitle = "A Title Far Longer Than Thirty Characters Can Hold";
    const std::string v24 = id3::Id3v2Tag(
        4, TextFrame(4, "TIT2", longTitle) + TextFrame(4, "TPE1", "Artist 2") +
               TextFrame(4, "TDRC", "2021-05-04") + TextFrame(4, "TCON", "(17)") +
               id3::Frame(4, "COMM", "\0eng\0comment two"s));
    const std::string v22 = id3::Id3v2Tag(
        2, TextFrame(2, "TT2", "Old Title") + TextFrame(2, "TAL", "Old Album") +
               TextFrame(2, "TCO", "Trip-Hop"));
    const std::string v1 = TagBlock({longTitle, "Artist 1", "Album 1", "1999", "comment one", 8});
    const struct {
        const char* what;
        std::string file;
        Answers best;
    } cases[] = {
        {"both tags: ID3v2 wins, ID3v1 fills the album",
         v24 + std::string(500, 'm') + v1,
         {longTitle, "Artist 2", "Album 1", "2021", "comment two", "Rock"}},
        {"only ID3v2: what it lacks is n/a", v24 + std::string(500, 'm'),
         {longTitle, "Artist 2", "n/a", "2021", "comment two", "Rock"}},
        {"version 2.2 frames", v22 + std::string(200, 'm') + v1,
         {"Old Title", "Artist 1", "Old Album", "1999", "comment one", "Trip-Hop"}},
        {"only ID3v1: the same answers as id3_*", std::string(500, 'm') + v1,
         {longTitle.substr(0, 30), "Artist 1", "Album 1", "1999", "comment one", "Jazz"}},
        {"no tag at all", std::string(500, 'm'), kNoTag},
        {"an ID3v2 field of blanks falls back",
         id3::Id3v2Tag(3, TextFrame(3, "TIT2", "   ") + TextFrame(3, "TCON", " ")) + v1,
         {longTitle.substr(0, 30), "Artist 1", "Album 1", "1999", "comment one", "Jazz"}},
        {"control characters: one blank a run, none at the ends",
         id3::Id3v2Tag(3, TextFrame(3, "TIT2", "\x85Title\r\nQUIT\x7f\x9f ")) + v1,
         {"Title QUIT", "Artist 1", "Album 1", "1999", "comment one", "Jazz"}},
        {"a tag of an unknown version is ignored",
         id3::Id3v2Tag(5, TextFrame(4, "TIT2", "Five")) + v1,
         {longTitle.substr(0, 30), "Artist 1", "Album 1", "1999", "comment one", "Jazz"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        zel::RememberClientVersion(0);
        PlayFile(c.file);
        EXPECT_EQ(AskBest(), c.best);
        if (c.file.size() >= 128 && c.file.compare(c.file.size() - 128, 3, "TAG") == 0) {
            EXPECT_EQ(AskAll()[0], longTitle.substr(0, 30)) << "id3_title answers ID3v1 as before";
        }
    }
}

TEST_F(TagQueryTest, BestTagTextIsAnsweredInTheClientsEncoding) {
    // UTF-16 with a byte-order mark: "Beyoncé", and a title in Japanese.
    const std::string artist = "\x01\xff\xfe" "B\0e\0y\0o\0n\0c\0\xe9\0"s;
    const std::string title = "\x03\xe6\x97\xa5\xe6\x9c\xac"s;  // UTF-8
    PlayFile(id3::Id3v2Tag(3, id3::Frame(3, "TPE1", artist) + id3::Frame(3, "TIT2", title)) +
             std::string(300, 'm') + TagBlock({"t", "a", "Caf\xe9", "1", "c", 17}));
    zel::testing::LoadAsClient(zel::testing::kClientVersion7);
    EXPECT_EQ(AskBest(), (Answers{"\xe6\x97\xa5\xe6\x9c\xac", "Beyonc\xc3\xa9", "Caf\xc3\xa9", "1",
                                  "c", "Rock"}));
    zel::testing::LoadAsClient(zel::testing::kClientVersion6);
    EXPECT_EQ(AskBest(), (Answers{"??", "Beyonc\xe9", "Caf\xe9", "1", "c", "Rock"}));
}

TEST_F(TagQueryTest, BestTagQueriesResolveTheFileAsTheId3v1QueriesDo) {
    PlayFile(id3::Id3v2Tag(3, TextFrame(3, "TIT2", "T")) + TagBlock(kSong));
    sim::ClearMessages();
    Call(zel_winamp_tag_title);
    EXPECT_EQ(zel::testing::RequestCodes(), TwoLookups());
    EXPECT_EQ(sim::FileOpenShareWrite(), (std::vector<bool>{false, false, true}));
}

TEST_F(TagQueryTest, EachFormatAnswersFromItsOwnTagThenApeThenId3v1) {
    using namespace zel::testing;
    const std::string comments = VorbisBlock({"TITLE=Vorbis Title", "artist=Vorbis Artist",
                                              "DATE=2011-02-03", "GENRE=(17)"});
    const std::string ape = ApeTag(ApeItem("Album", "Ape Album") + ApeItem("Comment", "ape"), 2);
    const std::string v1 = TagBlock({"V1 Title", "V1 Artist", "V1 Album", "1990", "v1", 8});
    const struct {
        const char* what;
        std::string file;
        Answers best;
    } cases[] = {
        {"FLAC", Flac(FlacBlock(kFlacPicture, std::string(4096, 'p')) + FlacBlock(kFlacComment, comments, true)),
         {"Vorbis Title", "Vorbis Artist", "n/a", "2011", "n/a", "Rock"}},
        {"FLAC after an ID3v2 tag, with APEv2 and ID3v1 filling the gaps",
         Id3v2Tag(3, Frame(3, "TALB", "\0ID3v2 Album"s)) +
             Flac(FlacBlock(kFlacComment, comments, true)) + ape + v1,
         {"Vorbis Title", "Vorbis Artist", "Ape Album", "2011", "ape", "Rock"}},
        {"Ogg Opus", OggStream(7, {OpusIdentification(), "OpusTags" + comments}) + v1,
         {"Vorbis Title", "Vorbis Artist", "V1 Album", "2011", "v1", "Rock"}},
        {"Ogg Vorbis", OggStream(7, {VorbisIdentification(), "\x03vorbis" + comments + "\x01"}),
         {"Vorbis Title", "Vorbis Artist", "n/a", "2011", "n/a", "Rock"}},
        {"MP4", Mp4WithItems(Item("\xa9nam", "Mp4 Title") + Item("\xa9" "day", "2020-01-01") +
                             Item("gnre", Be16(18), 0)),
         {"Mp4 Title", "n/a", "n/a", "2020", "n/a", "Rock"}},
        {"MP3 with only an APEv2 tag before its ID3v1 tag", std::string(300, 'm') + ape + v1,
         {"V1 Title", "V1 Artist", "Ape Album", "1990", "ape", "Jazz"}},
        {"MP3 with ID3v2 and APEv2", Id3v2Tag(4, Frame(4, "TIT2", "\0Id3 Title"s)) + "mp3" + ape,
         {"Id3 Title", "n/a", "Ape Album", "n/a", "ape", "n/a"}},
        {"a file of no known kind answers from ID3v1", "RIFF" + std::string(300, 'w') + v1,
         {"V1 Title", "V1 Artist", "V1 Album", "1990", "v1", "Jazz"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        zel::RememberClientVersion(0);
        PlayFile(c.file);
        EXPECT_EQ(AskBest(), c.best);
    }
}

}  // namespace
