// The current entry as the player names it: its path read from the player's memory
// (request 214), and the playlist file in the settings directory it names (338, 337),
// with every way the direct route can fail falling back to the playlist file.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "exports.h"
#include "platform/sim.h"
#include "sim_fixture.h"
#include "tag_bytes.h"
#include "tag_test_support.h"

namespace {

using namespace std::string_literals;
using zel::testing::Call;
using zel::testing::kPlaylistFileLookup;
using zel::testing::RequestCodes;
using zel::testing::ScratchDir;
using zel::testing::SimPlayer;
using zel::testing::WriteFile;
namespace sim = zel::sim;

constexpr std::uint64_t kPage = 4096;

// UTF-16 little-endian bytes of a UTF-8 text, with its terminating zero.
std::string Utf16z(const std::string& utf8) {
    std::string bytes;
    for (char16_t unit : sim::WidePath(utf8)) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes + "\0\0"s;
}

class TrackEntryTest : public zel::testing::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        zel::testing::RegisterPlayer();
    }

    // The player answers request `code` (argument `argument`) with an address at which
    // `bytes` stand in its memory.
    void Answer(std::int32_t code, std::int32_t argument, std::uint32_t address,
                const std::string& bytes) {
        sim::SetPlayerMemory(address, bytes);
        player_.answers[{code, argument}] = static_cast<std::int32_t>(address);
    }

    void Start(std::int32_t position = 0) {
        player_.positions = {position};
        player_.playlist = &playlist_;
        zel::testing::StartPlayer(player_);
    }

    ScratchDir dir_;
    SimPlayer player_;
    std::string playlist_ = "#EXTM3U\r\nfrom-the-playlist.mp3\r\n";
};

TEST_F(TrackEntryTest, ThePlayerNamesThePathAndNoPlaylistIsWritten) {
    Answer(214, 3, 0x00520010, Utf16z("C:\\Музыка\\日本.mp3"));
    Start(3);
    zel::testing::LoadAsClient(zel::testing::kClientVersion7);
    EXPECT_EQ(Call(zel_winamp_track_file), "C:\\Музыка\\日本.mp3");
    EXPECT_EQ(RequestCodes(), (std::vector<std::intptr_t>{125, 214}));
    EXPECT_EQ(sim::Messages()[1].wParam, 3u) << "the position travels in wParam";
    EXPECT_EQ(player_.flushes, 0);
    EXPECT_TRUE(sim::FileOpenShareWrite().empty()) << "no file is read for the lookup";
    // A client of the code page gets what the code page can spell.
    zel::testing::LoadAsClient(zel::testing::kClientVersion6);
    EXPECT_EQ(Call(zel_winamp_track_file), "C:\\??????\\??.mp3");
}

TEST_F(TrackEntryTest, EveryFailureOfTheDirectRouteFallsBackToThePlaylistFile) {
    const std::string endless(4 * 32768, 'x');  // no zero within 32,767 characters
    const struct {
        const char* what;
        std::int32_t answer;        // to request 214
        std::string memory;         // at that address, if any
        bool openable;
    } cases[] = {
        {"the request is unknown to this player", 1, "", true},
        {"the request failed", 0, "", true},
        {"an address of unmapped memory", 0x00700000, "", true},
        {"the player's process cannot be opened", 0x00520000, Utf16z("C:\\a.mp3"), false},
        {"an empty text", 0x00520000, Utf16z(""), true},
        {"no terminating zero within 32,767 characters", 0x00520000, endless, true},
        {"the text runs into unmapped memory", 0x00521000 - 6, "C\0:\0\\\0"s, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        zel::testing::RegisterPlayer();
        player_ = SimPlayer{};
        player_.answers[{214, 0}] = c.answer;
        if (!c.memory.empty()) sim::SetPlayerMemory(static_cast<std::uint32_t>(c.answer), c.memory);
        sim::SetPlayerProcessOpenable(c.openable);
        Start();
        EXPECT_EQ(Call(zel_winamp_track_file), "from-the-playlist.mp3");
        EXPECT_EQ(RequestCodes(), kPlaylistFileLookup);
    }
}

TEST_F(TrackEntryTest, TextsAreReadPageByPageUpToTheirZero) {
    const std::string longest(32767, 'y');
    const struct {
        const char* what;
        std::uint64_t address;
        std::string text;  // UTF-8, ASCII here
    } cases[] = {
        {"ending at the last byte of a readable page", 3 * kPage - 2 * 9, "C:\\a.mp3"},
        {"crossing a page boundary", 5 * kPage - 7, "C:\\longer\\path.mp3"},
        {"starting on an odd byte, split across pages", 7 * kPage - 5, "C:\\odd.mp3"},
        {"of the longest length", 9 * kPage, longest},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        zel::testing::RegisterPlayer();
        player_ = SimPlayer{};
        // Only the text stands in memory: a read past its zero fails.
        Answer(214, 0, static_cast<std::uint32_t>(c.address), Utf16z(c.text));
        Start();
        EXPECT_EQ(Call(zel_winamp_track_file), c.text.substr(0, 899));
        EXPECT_EQ(RequestCodes(), (std::vector<std::intptr_t>{125, 214}));
        for (const auto& [address, count] : sim::PlayerMemoryReads()) {
            EXPECT_LE(address % kPage + count, kPage) << "a read crossed a page boundary";
        }
    }
}

TEST_F(TrackEntryTest, LongDoubleByteTextsAreCutOnAWholeCharacterForACodePageClient) {
    std::string text;  // 1,000 bytes of one double-byte character in code page 932
    for (int i = 0; i < 500; ++i) text += "\x82\xa0";
    Answer(212, 0, 0x00520000, text + '\0');  // entry_title, from an older player
    Answer(1, 0, 0x00530000, text + '\0');    // player_version's text
    playlist_ = "#EXTM3U\r\n" + text + "\r\n";  // entry_file and track_file
    Start();
    sim::SetDoubleByteCodePage(true);
    zel::testing::LoadAsClient(zel::testing::kClientVersion6);
    for (auto query : {zel_winamp_entry_title, zel_winamp_entry_file, zel_winamp_track_file,
                       zel_winamp_player_version}) {
        EXPECT_EQ(Call(query, ""), text.substr(0, 898));
    }
}

TEST_F(TrackEntryTest, AnAddressWithItsTopBitSetIsTakenAs32Bits) {
    // A 32-bit window procedure's result can come back sign-extended.
    Answer(214, 0, 0x80001000u, Utf16z("C:\\high.mp3"));
    Start();
    EXPECT_EQ(Call(zel_winamp_track_file), "C:\\high.mp3");
    ASSERT_FALSE(sim::PlayerMemoryReads().empty());
    EXPECT_EQ(sim::PlayerMemoryReads().front().first, 0x80001000u);
}

TEST_F(TrackEntryTest, ThePlaylistFileIsReadWhereThePlayerKeepsIt) {
    // A stale playlist in the install directory must not answer.
    ASSERT_TRUE(WriteFile(zel::testing::kPlaylistName, "#EXTM3U\r\nstale.mp3\r\n"));
    const struct {
        const char* what;
        std::int32_t wide;   // answer to 338
        std::int32_t ansi;   // answer to 337
        std::string answer;
        std::vector<std::intptr_t> codes;
    } cases[] = {
        {"the settings directory in UTF-16", 0x00610000, 1, "fresh.mp3", {125, 214, 120, 338}},
        {"the settings directory in ANSI, from an older player", 1, 0x00620000, "fresh.mp3",
         {125, 214, 120, 338, 337}},
        {"no directory named: the install directory", 0, 0, "stale.mp3", kPlaylistFileLookup},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::ClearMessages();
        player_ = SimPlayer{};
        player_.playlistFile = "C:\\Users\\me\\Winamp\\winamp.m3u";
        playlist_ = "#EXTM3U\r\nfresh.mp3\r\n";
        sim::RemoveAllWindows();
        sim::SetPlayerMemory(0x00610000, Utf16z("C:\\Users\\me\\Winamp"));
        sim::SetPlayerMemory(0x00620000, "C:\\Users\\me\\Winamp\\\0"s);
        player_.answers[{338, 0}] = c.wide;
        player_.answers[{337, 0}] = c.ansi;
        Start();
        if (c.wide == 0) ::remove(player_.playlistFile.c_str());
        EXPECT_EQ(Call(zel_winamp_track_file), c.answer);
        EXPECT_EQ(RequestCodes(), c.codes);
    }
}

TEST_F(TrackEntryTest, TagsOfAFileTheCodePageCannotSpellAreRead) {
    const std::string name = dir_ / "日本語 Трек.mp3";
    ASSERT_TRUE(WriteFile(name, zel::testing::Id3v2Tag(3, zel::testing::Frame(3, "TIT2", "\0Kyoto"s)) +
                                    std::string(200, 'm') + "TAG" + "V1 Title" +
                                    std::string(117, '\0')));
    Answer(214, 0, 0x00530000, Utf16z(name));
    Start();
    EXPECT_EQ(Call(zel_winamp_tag_title), "Kyoto");
    EXPECT_EQ(Call(zel_winamp_id3_title), "V1 Title");
    // Two lookups, each by the direct route: the player writes no playlist.
    sim::ClearMessages();
    Call(zel_winamp_tag_title);
    EXPECT_EQ(RequestCodes(), (std::vector<std::intptr_t>{125, 214, 125, 214}));
    EXPECT_EQ(player_.flushes, 0);
}

}  // namespace

namespace {

TEST_F(TrackEntryTest, TheUtf8PlaylistIsReadBeforeTheCodePageOne) {
    const std::string track = dir_ / "Кино.mp3";
    ASSERT_TRUE(WriteFile(track, std::string(200, 'm') + "TAG" + "Gruppa" + std::string(119, '\0')));
    const std::string question = dir_ / "????.mp3";
    const std::string ansi = "#EXTM3U\r\n#EXTINF:3,x\r\n" + question + "\r\n";
    ASSERT_TRUE(WriteFile(zel::testing::kPlaylistName, ansi));
    const struct {
        const char* what;
        std::string utf8;  // Winamp.m3u8 as the player writes it
        std::string answer;
    } cases[] = {
        {"with its byte-order mark", "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:3,Кино\r\n" + track + "\r\n", track},
        {"without one", track + "\r\n", track},
        {"a byte no UTF-8 holds", "\xEF\xBB\xBF" "C:\\a\xFF.mp3\r\n", "C:\\a\xEF\xBF\xBD.mp3"},
        {"the mark alone names no entry", "\xEF\xBB\xBF\r\n", "NADA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        player_ = SimPlayer{};
        player_.playlistFile = "C:\\PROGRAM FILES\\WINAMP\\Winamp.m3u8";
        playlist_ = c.utf8;
        sim::RemoveAllWindows();
        Start();
        zel::testing::LoadAsClient(zel::testing::kClientVersion7);
        EXPECT_EQ(Call(zel_winamp_track_file), c.answer);
    }
    // Its tags are read, and a code-page client gets what the code page spells.
    EXPECT_EQ(Call(zel_winamp_id3_title), "n/a");
    playlist_ = "\xEF\xBB\xBF#EXTM3U\r\n" + track + "\r\n";
    EXPECT_EQ(Call(zel_winamp_id3_title), "Gruppa");
    zel::testing::LoadAsClient(zel::testing::kClientVersion6);
    EXPECT_EQ(Call(zel_winamp_track_file), question);
}

}  // namespace
