// The playlist reader: entries found in memory and in real files read through blocks of
// every small size (so that block ends fall inside lines, between a carriage return and
// its line feed, and on a Ctrl-Z), and zel_winamp_track_file against a simulated player.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "exports.h"
#include "platform/handles.h"
#include "platform/sim.h"
#include "sim_fixture.h"
#include "tag_test_support.h"
#include "tags/line_reader.h"
#include "tags/playlist.h"

namespace {

using namespace std::string_literals;
using zel::testing::Call;
using zel::testing::kPlaylistName;
using zel::testing::RequestCodes;
using zel::testing::ScratchDir;
using zel::testing::SimPlayer;
using zel::testing::WriteFile;
namespace sim = zel::sim;

constexpr std::size_t kKeep = 900;  // what the export keeps of an entry, zero included

struct Lookup {
    bool found;
    std::string entry;   // what was kept, up to the kept zero byte's position
    std::size_t length;  // the entry's full length
};

Lookup Find(zel::LineReader& reader, std::int32_t count, std::size_t keep) {
    std::vector<char> out(keep, 'x');
    Lookup result{};
    result.found = zel::FindPlaylistEntry(reader, count, out.data(), keep, &result.length);
    const std::size_t kept = result.length < keep - 1 ? result.length : keep - 1;
    result.entry.assign(out.data(), kept);
    EXPECT_EQ(out[kept], '\0') << "the kept entry is not zero-terminated";
    return result;
}

Lookup FromMemory(const std::string& bytes, std::int32_t count, std::size_t keep = kKeep) {
    zel::LineReader reader =
        zel::MemoryLineReader(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    // The memory reader takes the portable four-byte scan, the file reader the vector scan
    // where the processor has one, so every case compares the two.
    reader.vectorScan = false;
    return Find(reader, count, keep);
}

Lookup FromFile(const std::string& path, std::int32_t count, std::size_t block,
                std::size_t keep = kKeep) {
    zel::platform::ScopedFile file(zel::platform::OpenFileForReading(zel::sim::WidePath(path).c_str(), false));
    EXPECT_TRUE(file) << path;
    if (!file) return {};
    std::vector<unsigned char> buffer(block);
    zel::LineReader reader = zel::FileLineReader(file.get(), buffer.data(), block);
    return Find(reader, count, keep);
}

// Block sizes that put block ends everywhere in the short cases, and the real one.
constexpr std::size_t kBlockSizes[] = {1, 2, 3, 4, 5, 6, 7, 8, 13, 64 * 1024};

const std::string kFiveLines =
    "#EXTM3U\r\n#EXTINF:123,A - First\r\nC:\\MP3\\a.mp3\r\n#EXTINF:200,B - Second\r\nC:\\MP3\\b.mp3\r\n";

struct EntryCase {
    const char* what;
    std::string bytes;
    std::int32_t count;  // entry number from 1: the player's position plus 1
    bool found;
    std::string entry;
};

const EntryCase kEntryCases[] = {
    {"five lines, position 0", kFiveLines, 1, true, "C:\\MP3\\a.mp3"},
    {"five lines, position 1", kFiveLines, 2, true, "C:\\MP3\\b.mp3"},
    {"five lines, position 2 is past the end", kFiveLines, 3, false, ""},
    {"carriage returns alone", "a\rb\rc", 3, true, "c"},
    {"carriage returns alone, first", "a\rb\rc", 1, true, "a"},
    {"CRLF, last line without an end", "a\r\nb\r\nc", 3, true, "c"},
    {"line feeds alone make one line", "a\nb\nc\n", 1, true, "a\nb\nc\n"},
    {"line feeds alone count once", "a\nb\nc\n", 2, false, ""},
    {"line feeds alone, a comment when it starts with #", "#EXTM3U\nC:\\a.mp3\n", 1, false, ""},
    {"a line feed after CRLF is skipped between lines", "a\r\n\nb", 2, true, "b"},
    {"a line feed before a carriage return is text", "a\n\rb", 1, true, "a\n"},
    {"blank and blank-only lines are not counted", "\r\n\r\n   \r\na\r\n \t \r\n\r\nb\r\n", 2, true,
     "b"},
    {"blank-only file", "  \r\n\t\r\n \r\n", 1, false, ""},
    {"empty file", "", 1, false, ""},
    {"tabs, zero bytes and control bytes between lines", "\t\x01\0\x1f a\r\0\0\x7f\r\n"s, 2, true,
     "\x7f"},
    {"control bytes before an entry", "\0\0\x02\x1b\x1f\x20x.mp3"s, 1, true, "x.mp3"},
    {"bytes of 128 and above are text", "\xe9t\xe9\r\n\x80x", 2, true, "\x80x"},
    {"a line starting with byte 160 is an entry", "\xa0" "a\r\nb", 1, true, "\xa0" "a"},
    {"byte 255 starts an entry", "\xff\r\n", 1, true, "\xff"},
    {"Ctrl-Z between lines ends the file", "a\r\n\x1a b\r\n", 2, false, ""},
    {"Ctrl-Z after blanks ends the file", "a\r\n   \x1a\r\nb", 2, false, ""},
    {"Ctrl-Z mid-line cuts the line", "ab\x1a" "cd\r\ne", 1, true, "ab"},
    {"Ctrl-Z mid-line ends the file", "ab\x1a" "cd\r\ne", 2, false, ""},
    {"Ctrl-Z right before a line", "a\r\x1a" "b", 2, false, ""},
    {"trailing blanks are kept", "a  \t\r\n", 1, true, "a  \t"},
    {"inner blanks are kept", "C:\\My Music\\a b.mp3 \r\n", 1, true, "C:\\My Music\\a b.mp3 "},
    {"comment after blanks is not counted", "   #EXTINF:1,x\r\n\t#c\r\na", 1, true, "a"},
    {"a # inside a line is text", "a#b\r\n#c\r\nd", 2, true, "d"},
    {"a lone # is a comment", "#\r\nx", 1, true, "x"},
    {"comments only", "#a\r\n#b\r\n#c", 1, false, ""},
    {"an inner zero byte stays in the entry", "a\0b\r\n"s, 1, true, "a\0b"s},
    {"count 0 is found at once, empty", kFiveLines, 0, true, ""},
    {"count 0 on an empty file", "", 0, true, ""},
    {"negative count is never found", kFiveLines, -1, false, ""},
    {"most negative count is never found", kFiveLines, INT_MIN, false, ""},
    {"many entries, the 7th", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n", 7, true, "7"},
};

class PlaylistEntryTest : public zel::testing::SimTest {};

TEST_F(PlaylistEntryTest, FindsTheSameEntryInMemoryAndThroughEveryBlockSize) {
    ScratchDir dir;
    for (const EntryCase& c : kEntryCases) {
        SCOPED_TRACE(c.what);
        const Lookup memory = FromMemory(c.bytes, c.count);
        EXPECT_EQ(memory.found, c.found);
        EXPECT_EQ(memory.entry, c.entry);
        EXPECT_EQ(memory.length, c.found ? c.entry.size() : 0u);

        const std::string path = dir / "list.m3u";
        ASSERT_TRUE(WriteFile(path, c.bytes));
        for (std::size_t block : kBlockSizes) {
            SCOPED_TRACE("block of " + std::to_string(block));
            const Lookup file = FromFile(path, c.count, block);
            EXPECT_EQ(file.found, c.found);
            EXPECT_EQ(file.entry, c.entry);
            EXPECT_EQ(file.length, memory.length);
        }
    }
}

// Line ends and Ctrl-Z placed exactly on a block boundary of each size.
TEST_F(PlaylistEntryTest, LineEndsOnBlockBoundaries) {
    ScratchDir dir;
    const std::string path = dir / "list.m3u";
    for (std::size_t block : {2u, 3u, 4u, 5u, 6u, 7u, 64u}) {
        SCOPED_TRACE("block of " + std::to_string(block));
        const std::string first(block - 1, 'a');  // the carriage return ends the first block
        struct Case {
            std::string bytes;
            std::int32_t count;
            bool found;
            std::string entry;
        } cases[] = {
            {first + "\r\nsecond", 2, true, "second"},      // CR | LF
            {first + "\r\r\nsecond", 2, true, "second"},    // CR | CR LF
            {first + "b\r\nsecond", 2, true, "second"},     // the CR opens the next block
            {first + "\x1a\r\nsecond", 1, true, first},     // Ctrl-Z last in a block
            {first + "\x1a\r\nsecond", 2, false, ""},
            {first + "b\x1asecond", 2, false, ""},          // Ctrl-Z first in a block
            {first + "\r\n#c" + std::string(block, ' ') + "\r\nz", 2, true, "z"},
        };
        for (const Case& c : cases) {
            ASSERT_TRUE(WriteFile(path, c.bytes));
            const Lookup file = FromFile(path, c.count, block);
            const Lookup memory = FromMemory(c.bytes, c.count);
            EXPECT_EQ(file.found, c.found) << c.bytes;
            EXPECT_EQ(file.entry, c.entry) << c.bytes;
            EXPECT_EQ(memory.found, c.found) << c.bytes;
            EXPECT_EQ(memory.entry, c.entry) << c.bytes;
        }
    }
}

TEST_F(PlaylistEntryTest, KeepsTheFirstBytesOfALongEntryAndReportsItsLength) {
    ScratchDir dir;
    const std::string path = dir / "list.m3u";
    const std::string line(100000, 'p');
    struct Case {
        std::string bytes;
        std::int32_t count;
        std::string entry;
        std::size_t length;
    } cases[] = {
        {line + "\r\nnext", 1, line.substr(0, kKeep - 1), line.size()},
        {line + "\r\nnext", 2, "next", 4},  // a long line skipped unkept still counts
        {"#" + line + "\r\nnext", 1, "next", 4},
        {std::string(kKeep - 1, 'q'), 1, std::string(kKeep - 1, 'q'), kKeep - 1},
        {std::string(kKeep, 'q'), 1, std::string(kKeep - 1, 'q'), kKeep},
    };
    for (const Case& c : cases) {
        for (std::size_t block : {7u, 4096u, 65536u}) {
            ASSERT_TRUE(WriteFile(path, c.bytes));
            const Lookup file = FromFile(path, c.count, block);
            EXPECT_TRUE(file.found);
            EXPECT_EQ(file.entry, c.entry) << "block " << block;
            EXPECT_EQ(file.length, c.length) << "block " << block;
        }
        const Lookup memory = FromMemory(c.bytes, c.count);
        EXPECT_EQ(memory.entry, c.entry);
        EXPECT_EQ(memory.length, c.length);
    }
}

TEST_F(PlaylistEntryTest, KeepsNothingPastASmallCapacity) {
    for (std::size_t keep : {1u, 2u, 5u}) {
        const Lookup memory = FromMemory("abcdefgh\r\n", 1, keep);
        EXPECT_TRUE(memory.found);
        EXPECT_EQ(memory.entry, std::string("abcdefgh").substr(0, keep - 1));
        EXPECT_EQ(memory.length, 8u);
    }
}

// ---- zel_winamp_track_file against the simulated player --------------------------------

class TrackFileTest : public zel::testing::SimTest {
protected:
    std::string Answer(std::int32_t position, const std::string& playlist) {
        playlist_ = playlist;
        player_.positions = {position};
        player_.playlist = &playlist_;
        zel::testing::RegisterPlayer();
        zel::testing::StartPlayer(player_);
        int result = 0;
        const std::string answer = Call(zel_winamp_track_file, "abc", &result);
        EXPECT_EQ(result, 3);
        return answer;
    }

    ScratchDir dir_;
    SimPlayer player_;
    std::string playlist_;
};

TEST_F(TrackFileTest, AnswersTheEntryAtThePlayersPosition) {
    struct Case {
        std::int32_t position;
        std::string playlist;
        std::string answer;
    } cases[] = {
        {0, kFiveLines, "C:\\MP3\\a.mp3"},
        {1, kFiveLines, "C:\\MP3\\b.mp3"},
        {2, kFiveLines, "NADA"},
        {-1, kFiveLines, ""},  // the loop does not run: an empty answer, not NADA
        {-2, kFiveLines, "NADA"},
        {INT_MIN, kFiveLines, "NADA"},
        {INT_MAX, kFiveLines, "NADA"},  // plus 1 wraps to the most negative count
        {0, "", "NADA"},
        {0, "a\0b\r\n"s, "a"},  // the client sees the entry up to its inner zero
        {0, "trailing  \r\n", "trailing  "},
        {0, std::string(100000, 'p') + "\r\n", std::string(899, 'p')},
        {1, std::string(100000, 'p') + "\r\nsecond\r\n", "second"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("position " + std::to_string(c.position));
        sim::Reset();
        EXPECT_EQ(Answer(c.position, c.playlist), c.answer);
    }
}

TEST_F(TrackFileTest, AnswersACodePagePathInTheClientsEncoding) {
    const std::string playlist = "C:\\M\xfcsik\\Beyonc\xe9.mp3\r\n";
    zel::testing::LoadAsClient(zel::testing::kClientVersion7);
    EXPECT_EQ(Answer(0, playlist), "C:\\M\xc3\xbcsik\\Beyonc\xc3\xa9.mp3");
    zel::testing::LoadAsClient(zel::testing::kClientVersion6);
    EXPECT_EQ(Answer(0, playlist), "C:\\M\xfcsik\\Beyonc\xe9.mp3");
    zel::testing::LoadAsClient(zel::testing::kClientVersion7);
    EXPECT_EQ(Answer(5, playlist), "NADA");
}

TEST_F(TrackFileTest, AsksThePositionThenFlushesThenReadsWhatThePlayerWrote) {
    // No playlist exists before the flush: the player writes it on request 120.
    ASSERT_NE(::access(kPlaylistName, F_OK), 0);
    EXPECT_EQ(Answer(1, kFiveLines), "C:\\MP3\\b.mp3");
    EXPECT_EQ(RequestCodes(), zel::testing::kPlaylistFileLookup);
    EXPECT_EQ(sim::FileOpenShareWrite(), std::vector<bool>{false});
}

TEST_F(TrackFileTest, LeavesTheBufferUntouchedWithoutAPlaylist) {
    player_.playlist = nullptr;  // this player never writes its playlist
    zel::testing::RegisterPlayer();
    zel::testing::StartPlayer(player_);
    int result = 0;
    EXPECT_EQ(Call(zel_winamp_track_file, "abc", &result), "abc");
    EXPECT_EQ(result, 3);
    EXPECT_EQ(RequestCodes(), zel::testing::kPlaylistFileLookup);
}

TEST_F(TrackFileTest, WithoutAPlayerReadsTheFirstEntryOfTheLastPlaylist) {
    zel::testing::RegisterPlayer();
    ASSERT_TRUE(WriteFile(kPlaylistName, kFiveLines));
    EXPECT_EQ(Call(zel_winamp_track_file), "C:\\MP3\\a.mp3");
    EXPECT_TRUE(sim::Messages().empty());
}

TEST_F(TrackFileTest, WithoutTheRegistryEntryReadsThePlaylistInTheCurrentDirectory) {
    ASSERT_TRUE(WriteFile("winamp.m3u", "here.mp3\r\n"));
    EXPECT_EQ(Call(zel_winamp_track_file), "here.mp3");
}

}  // namespace

namespace {

// Every position of a stop byte within and across the sixteen-byte steps of the vector
// scan and the four-byte steps of the portable one.
TEST_F(PlaylistEntryTest, FindsTheLineEndAtEveryOffsetWithBothScans) {
    for (std::size_t n = 1; n <= 40; ++n) {
        const std::string line(n, 'a');
        for (bool vector : {false, true}) {
            SCOPED_TRACE("line of " + std::to_string(n) + (vector ? ", vector scan" : ", portable"));
            for (const std::string& tail : {std::string("\rb\r"), std::string("\x1a" "b\r")}) {
                const std::string bytes = line + tail;
                zel::LineReader reader = zel::MemoryLineReader(
                    reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
                reader.vectorScan = vector;
                char out[64];
                std::size_t length = 0;
                EXPECT_TRUE(zel::FindPlaylistEntry(reader, 1, out, sizeof out, &length));
                EXPECT_EQ(std::string(out), line);
                reader = zel::MemoryLineReader(reinterpret_cast<const unsigned char*>(bytes.data()),
                                               bytes.size());
                reader.vectorScan = vector;
                // Past a carriage return the next line is "b"; Ctrl-Z ends the file instead.
                EXPECT_EQ(zel::FindPlaylistEntry(reader, 2, out, sizeof out, &length), tail[0] == '\r');
            }
        }
    }
}

}  // namespace
