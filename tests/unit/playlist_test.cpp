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
#include "track/line_reader.h"
#include "track/playlist.h"

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

// How a reader scans: line by line (portable), or by 64-byte masks with SSE2, counting
// bits with a portable sum or with popcnt.
enum class Scan { Portable, Masks, MasksPopcnt };
constexpr Scan kScans[] = {Scan::Portable, Scan::Masks, Scan::MasksPopcnt};

const char* ScanName(Scan scan) {
    return scan == Scan::Portable ? "portable" : scan == Scan::Masks ? "masks" : "masks+popcnt";
}

// Sets the reader's scan; false when this processor cannot run it.
bool UseScan(zel::LineReader& reader, Scan scan) {
    const bool vector = reader.vectorScan;
    const bool popcnt = reader.countInstruction;
    reader.vectorScan = scan != Scan::Portable;
    reader.countInstruction = scan == Scan::MasksPopcnt;
    return (!reader.vectorScan || vector) && (!reader.countInstruction || popcnt);
}

Lookup FromMemory(const std::string& bytes, std::int32_t count, std::size_t keep = kKeep,
                  Scan scan = Scan::Portable) {
    zel::LineReader reader =
        zel::MemoryLineReader(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    // By default the memory reader takes the portable line-by-line scan and the file reader
    // the mask scan where the processor has one, so every case compares the two.
    if (!UseScan(reader, scan)) return FromMemory(bytes, count, keep, Scan::Portable);
    return Find(reader, count, keep);
}

// The file reader takes what the processor has unless told otherwise.
Lookup FromFile(const std::string& path, std::int32_t count, std::size_t block,
                std::size_t keep = kKeep, const Scan* scan = nullptr) {
    zel::platform::ScopedFile file(zel::platform::OpenFileForReading(
        zel::sim::WidePath(path).c_str(), false));
    EXPECT_TRUE(file) << path;
    if (!file) return {};
    std::vector<unsigned char> buffer(block);
    zel::LineReader reader = zel::FileLineReader(file.get(), buffer.data(), block);
    if (scan != nullptr) UseScan(reader, *scan);
    return Find(reader, count, keep);
}

// Block sizes that put block ends everywhere in the short cases, and the real one.
// Block sizes that put block ends everywhere in the short cases, around the 64-byte chunks
// of the mask scan, and the real one.
constexpr std::size_t kBlockSizes[] = {1, 2, 3, 4, 5, 6, 7, 8, 13, 63, 64, 65, 127, 128, 64 * 1024};

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
        for (Scan scan : kScans) {
            SCOPED_TRACE(ScanName(scan));
            const Lookup other = FromMemory(c.bytes, c.count, kKeep, scan);
            EXPECT_EQ(other.found, c.found);
            EXPECT_EQ(other.entry, c.entry);
            EXPECT_EQ(other.length, memory.length);
        }

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

namespace {

// ---- the 64-byte mask scan: chunk and block boundaries ----------------------------------

std::string Fill(std::size_t n, char c = 'a') { return std::string(n, c); }

struct ChunkCase {
    const char* what;
    std::string bytes;
    std::int32_t count;
    bool found;
    std::string entry;
};

// Each case puts a line end, a blank run, a Ctrl-Z or a comment where a chunk of 64 bytes
// (or a block of 63, 64, 65, 127 or 128) begins or ends.
const ChunkCase kChunkCases[] = {
    {"CR last in a chunk, LF first in the next", Fill(63) + "\r\nb", 2, true, "b"},
    {"CR last in a chunk, the next line first in the next", Fill(63) + "\rb", 2, true, "b"},
    {"CRLF ends a chunk, the next line starts one", Fill(62) + "\r\nb\r\n", 2, true, "b"},
    {"line start exactly at the second chunk", Fill(62) + "\r\n" + Fill(64, 'c'), 2, true, Fill(64, 'c')},
    {"a text byte last in a chunk is no line start", Fill(63) + "z\r\nb", 2, true, "b"},
    {"CR last in a chunk ends the file", Fill(63) + "\r", 2, false, ""},
    {"CR first in a chunk", Fill(64) + "\r\nb", 2, true, "b"},
    {"a blank run with a CR across two chunks", "a\r" + Fill(200, ' ') + "b", 2, true, "b"},
    {"a blank run with a CR at its end across two chunks", "a" + Fill(100, ' ') + "\r\nb", 2, true, "b"},
    {"a blank run without a CR across chunks stays in the line", "a" + Fill(130, ' ') + "b\r\nc",
     2, true, "c"},
    {"a blank run without a CR across chunks, kept", "a" + Fill(130, '\t') + "b\r\nc", 1, true,
     "a" + Fill(130, '\t') + "b"},
    {"blank lines across chunks", "a" + Fill(40, '\r') + Fill(40, '\n') + Fill(40, ' ') + "b", 2, true,
     "b"},
    {"blanks then CR in the next chunk end the line", Fill(60) + Fill(10, ' ') + "\r\nz", 2, true, "z"},
    {"the file starts with a blank run past a chunk", Fill(150, ' ') + "x\r\ny", 1, true, "x"},
    {"the file starts with a blank run past a chunk, second", Fill(150, ' ') + "x\r\ny", 2, true, "y"},
    {"the file starts with a CR", "\rx", 1, true, "x"},
    {"Ctrl-Z inside a chunk before a line start", "a\r\n\x1a" "b\r\n", 2, false, ""},
    {"Ctrl-Z inside a chunk after a line start", "a\r\nbc\x1a\r\nd", 2, true, "bc"},
    {"Ctrl-Z inside a chunk after a line start, next", "a\r\nbc\x1a\r\nd", 3, false, ""},
    {"Ctrl-Z last in a chunk", Fill(63) + "\x1a\r\nb", 2, false, ""},
    {"Ctrl-Z first in the second chunk", Fill(62) + "\r\n\x1a" "b", 2, false, ""},
    {"Ctrl-Z right after a line start at a chunk end", Fill(61) + "\r\nb\x1a" "c\r\nd", 2, true, "b"},
    {"Ctrl-Z in a later chunk than the lines before it", "a\r\nb\r\n" + Fill(100, ' ') + "\x1a\r\nc", 3,
     false, ""},
    {"a comment line at a chunk boundary", Fill(62) + "\r\n#c\r\nd", 2, true, "d"},
    {"comment lines across a chunk", "#" + Fill(100) + "\r\n#" + Fill(100) + "\r\nd", 1, true, "d"},
    {"# after blanks that follow a CR", "a\r\n   #c\r\nd", 2, true, "d"},
    {"# inside a line at a chunk boundary", Fill(63) + "#\r\nd", 2, true, "d"},
    {"a lone LF at a chunk boundary is text", Fill(63) + "\nb\r\nc", 2, true, "c"},
    {"a lone LF at a chunk boundary is kept", Fill(63) + "\nb\r\nc", 1, true, Fill(63) + "\nb"},
    {"the wanted entry in the first chunk", "a\r\nb\r\nc\r\n" + Fill(200), 2, true, "b"},
    {"the count reached in a short last chunk", Fill(63) + "\r\nbb\r\ncc", 3, true, "cc"},
    {"the count reached in a short last chunk, cut by its end", Fill(70) + "\r\nx", 2, true, "x"},
    {"one past the last entry in a short chunk", Fill(70) + "\r\nx\r\n", 3, false, ""},
    {"bytes 33, 127, 128 and 255 start entries, 32 does not",
     "\r \r!\r\x7f\r\x80\r\xff", 4, true, "\xff"},
    {"every byte up to 32 but 26 is skipped between lines",
     "a\r\0\x01\x02\x03\x04\x05\x06\x07\x08\t\n\x0b\x0c\r\x0e\x0f\x10\x11\x12\x13\x14"
     "\x15\x16\x17\x18\x19\x1b\x1c\x1d\x1e\x1f b"s,
     2, true, "b"},
};

TEST_F(PlaylistEntryTest, MaskScanAgreesAtChunkAndBlockBoundaries) {
    ScratchDir dir;
    const std::string path = dir / "list.m3u";
    for (const ChunkCase& c : kChunkCases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteFile(path, c.bytes));
        for (Scan scan : kScans) {
            SCOPED_TRACE(ScanName(scan));
            const Lookup memory = FromMemory(c.bytes, c.count, kKeep, scan);
            EXPECT_EQ(memory.found, c.found);
            EXPECT_EQ(memory.entry, c.entry);
            EXPECT_EQ(memory.length, c.found ? c.entry.size() : 0u);
            for (std::size_t block : kBlockSizes) {
                SCOPED_TRACE("block of " + std::to_string(block));
                const Lookup file = FromFile(path, c.count, block, kKeep, &scan);
                EXPECT_EQ(file.found, c.found);
                EXPECT_EQ(file.entry, c.entry);
            }
        }
    }
}

// A playlist whose lines take every length from 0 to 140 with each way a line can end, so
// that line starts, carriage returns, comments and blank runs fall on every bit of a chunk;
// each entry is found at its number by every scan.
TEST_F(PlaylistEntryTest, FindsEveryEntryOfLinesOfEveryLength) {
    const char* const ends[] = {"\r\n", "\r", "\r\n\r\n", "\r \t", "\r\n#comment\r\n", "\r\n\n"};
    std::string bytes;
    std::vector<std::string> entries;
    for (std::size_t length = 0; length <= 140; ++length) {
        std::string entry = std::to_string(entries.size());
        entry += Fill(length, static_cast<char>('a' + length % 26));
        entries.push_back(entry);
        bytes += entry;
        bytes += ends[length % (sizeof ends / sizeof ends[0])];
    }
    ScratchDir dir;
    const std::string path = dir / "list.m3u";
    ASSERT_TRUE(WriteFile(path, bytes));
    for (Scan scan : kScans) {
        SCOPED_TRACE(ScanName(scan));
        for (std::size_t i = 0; i <= entries.size(); ++i) {
            const auto count = static_cast<std::int32_t>(i + 1);
            const bool found = i < entries.size();
            const std::string entry = found ? entries[i] : "";
            const Lookup memory = FromMemory(bytes, count, kKeep, scan);
            EXPECT_EQ(memory.found, found) << "entry " << count;
            EXPECT_EQ(memory.entry, entry) << "entry " << count;
            for (std::size_t block : {7u, 64u, 100u, 4096u}) {
                const Lookup file = FromFile(path, count, block, kKeep, &scan);
                EXPECT_EQ(file.found, found) << "entry " << count << ", block " << block;
                EXPECT_EQ(file.entry, entry) << "entry " << count << ", block " << block;
            }
        }
    }
}

// More entries start in one chunk than are left to pass: the one asked for is chosen
// among them.
TEST_F(PlaylistEntryTest, ChoosesTheEntryAmongManyInOneChunk) {
    std::string bytes;
    for (int i = 0; i < 40; ++i) bytes += static_cast<char>('A' + i % 26) + std::string("\r");
    for (Scan scan : kScans) {
        for (std::int32_t count = 1; count <= 41; ++count) {
            const Lookup memory = FromMemory(bytes, count, kKeep, scan);
            EXPECT_EQ(memory.found, count <= 40) << ScanName(scan) << " entry " << count;
            if (count <= 40) {
                EXPECT_EQ(memory.entry, std::string(1, static_cast<char>('A' + (count - 1) % 26)))
                    << ScanName(scan) << " entry " << count;
            }
        }
    }
}

}  // namespace
