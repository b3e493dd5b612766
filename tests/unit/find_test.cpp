// zel_winamp_find against a simulated player that writes its playlist, and the search's
// scan against a plain model of it through every block size, with and without SSE2.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "exports.h"
#include "platform/handles.h"
#include "platform/sim.h"
#include "sim_fixture.h"
#include "tag_test_support.h"
#include "track/playlist_search.h"

namespace {

using zel::testing::Call;
using zel::testing::ScratchDir;
using zel::testing::SimPlayer;
using zel::testing::WriteFile;
namespace sim = zel::sim;

constexpr char kUtf8Name[] = "C:\\PROGRAM FILES\\WINAMP\\Winamp.m3u8";

std::string Numbers(int from, int to) {
    std::string text;
    for (int i = from; i <= to; ++i) text += (text.empty() ? "" : " ") + std::to_string(i);
    return text;
}

// Entries 1-7, then 40 entries of "Many" from 8 on. U+0130 and the Kelvin sign fold onto
// ASCII "i" and "k"; "#EXTVLCOPT" is no title.
std::string Utf8Playlist() {
    std::string list = "\xEF\xBB\xBF#EXTM3U\r\n"
        "#EXTINF:213,Кино - Группа крови\r\nC:\\Music\\Kino\\01 - Gruppa krovi.mp3\r\n"
        "#EXTINF:180,The Beatles - Yesterday\r\nC:\\Music\\Help\\13 - Yesterday.mp3\r\n"
        "C:\\Music\\ΆΛΦΑ\\Ελένη.mp3\r\n"
        "#EXTINF:200,Beyoncé - Halo\r\nC:\\Music\\BEYONCÉ\\halo.mp3\r\n"
        "#EXTINF:1,\xC4\xB0STANBUL\r\nC:\\Music\\\xE2\x84\xAA" "ELVIN\\x.mp3\r\n"
        "#EXTVLCOPT:secret\r\nC:\\Music\\other.mp3\r\n"
        "#EXTINF:555,Commas, too\r\nC:\\x.mp3\r\n";
    for (int i = 0; i < 40; ++i) list += "#EXTINF:1,Many " + std::to_string(i) + "\r\nC:\\m.mp3\r\n";
    return list;
}

class FindTest : public zel::testing::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        zel::testing::RegisterPlayer();
        zel::testing::LoadAsClient(zel::testing::kClientVersion7);
        player_.playlistFile = kUtf8Name;
        player_.playlist = &playlist_;
    }
    ScratchDir dir_;
    SimPlayer player_;
    std::string playlist_ = Utf8Playlist();
};

TEST_F(FindTest, AnswersTheEntriesThatHoldEveryWord) {
    const struct {
        const char* words;
        std::string answer;
    } cases[] = {
        {"кино", "1"},                 // a Cyrillic title by a lower-case word
        {"КРОВИ", "1"},                // and by an upper-case one
        {"gruppa", "1"},               // the path
        {"beatles YESTERDAY", "2"},    // both in the title (and one in the path)
        {"BEATLES help", "2"},         // one in the title, one in the path
        {"beatles kino", "none"},      // each in another entry
        {"άλφα ελένη", "3"},           // Greek, an entry without a title
        {"beyoncé", "4"},              // an accent, upper case in the path
        {"istanbul kelvin", "5"},      // characters that fold onto ASCII letters
        {"\xC4\xB0stanbul \xE2\x84\xAA" "ELVIN", "5"},
        {"secret", "none"},            // a comment that is no title
        {"commas, TOO", "7"},          // the text after the first comma
        {"555", "none"},
        {"many", Numbers(8, 37)},      // 40 matches: the first 30
        {"  MANY   13  ", "21"},
        {"", "ERR give words to look for"},
        {"   ", "ERR give words to look for"},
        {"\xFF", "ERR the words are not valid text"},
    };
    zel::testing::StartPlayer(player_);
    for (const auto& c : cases) {
        sim::ClearMessages();
        EXPECT_EQ(Call(zel_winamp_find, c.words), c.answer) << c.words;
        // The directory, then the write; nothing for a bad argument.
        const std::vector<std::intptr_t> sent = {338, 337, 120};
        EXPECT_EQ(zel::testing::RequestCodes(),
                  c.answer.rfind("ERR", 0) == 0 ? std::vector<std::intptr_t>() : sent) << c.words;
    }
}

TEST_F(FindTest, SearchesTheFileThePlayerLastWrote) {
    const std::string utf8 = "x.mp3\r\n#EXTINF:1,Motörhead\r\nC:\\ace.mp3\r\n";
    const std::string ansi = "#EXTINF:1,Mot\xF6rhead - Ace\r\nC:\\MOT\xD6RHEAD\\a.mp3\r\n";
    const struct {
        const char* what;
        bool running, hung;
        std::int32_t lateAfter;  // the player answers too late after this request
        std::string utf8, ansi;  // the files the player wrote before ("": none)
        std::string answer;
    } cases[] = {
        {"no player", false, false, 0, utf8, "", "ERR player not running"},
        {"a hung player", true, true, 0, utf8, "", "ERR player not running"},
        {"late before the write", true, false, 338, utf8, "", "ERR player not running"},
        {"the write outlasts the allowance", true, false, 337, utf8, ansi, "2"},
        {"the code page's file alone", true, false, 0, "", ansi, "1"},
        {"no file", true, false, 0, "", "", "ERR no playlist file to search"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        zel::testing::RegisterPlayer();
        for (const auto& [name, bytes] : {std::make_pair(kUtf8Name, c.utf8),
                                          std::make_pair(zel::testing::kPlaylistName, c.ansi)}) {
            ::remove(name);
            EXPECT_TRUE(bytes.empty() || WriteFile(name, bytes));
        }
        if (c.running) {
            sim::AddWindow(zel::kPlayerWindowClass, "", [&c](std::int32_t code, std::int32_t) {
                if (code == c.lateAfter) sim::SetAnswerTime(0, 5000);
                return 0;
            });
            sim::SetHung(0, c.hung);
        }
        EXPECT_EQ(Call(zel_winamp_find, "motörhead ACE"), c.answer);
    }
}

// ---- the scan, against a plain model -----------------------------------------------------

struct ModelEntry {
    std::string title, path;  // as the model reads them: their first zel::kLineKept bytes
};

// The fold of the model's text: ASCII, and the two characters that fold onto ASCII letters.
bool Holds(std::string text, const std::string& word) {
    for (const auto& [from, to] : {std::make_pair("\xC4\xB0", "i"), std::make_pair("\xE2\x84\xAA", "k")}) {
        for (std::size_t at; (at = text.find(from)) != std::string::npos;) text.replace(at, std::string(from).size(), to);
    }
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text.find(word) != std::string::npos;
}

// Entries of every line length from 0 to 140 (chunk and block ends fall everywhere in
// them), with and without titles, between comment lines, blank runs and lone line feeds,
// accented names, and lines longer than is matched.
std::string ModelPlaylist(std::vector<ModelEntry>* entries) {
    const char* const ends[] = {"\r\n", "\r", "\r\n\r\n", "\r \t", "\r\n#EXTVLCOPT:zebra quay\r\n", "\r\n\n"};
    std::string list = "#EXTM3U\r\n";
    for (std::size_t i = 0; i <= 140; ++i) {
        ModelEntry e;
        const std::string filler(i, "abcdefé"[i % 7]);
        e.path = "C:\\" + filler + (i % 5 == 0 ? "Zebra" : "") + (i % 11 == 0 ? "\\QUAY" : "") +
                 (i % 13 == 0 ? "\xC4\xB0\xE2\x84\xAA" : "") + ".mp3";  // U+0130 and the Kelvin sign
        if (i % 3 != 0) {
            e.title = "Artist " + std::string(i % 70, '-') + (i % 7 == 0 ? " zEbra" : "");
            list += "#EXTINF:" + std::to_string(i) + "," + e.title + "\r\n";
        }
        list += e.path + ends[i % 6];
        entries->push_back(e);
    }
    const std::string x(zel::kLineKept - 10, 'x');
    list += "#EXTINF:1," + x + "zebra\r\nC:\\" + x + "quay\r\n";  // "zebra" kept, "quay" not
    entries->push_back({x.substr(0, zel::kLineKept - 11) + "zebra", "C:\\" + x.substr(0, zel::kLineKept - 3)});
    return list + "\x1a" "C:\\zebra quay.mp3\r\n";
}

TEST(PlaylistSearchTest, EveryBlockSizeAndScanAgreesWithTheModel) {
    ScratchDir dir;
    std::vector<ModelEntry> entries;
    ASSERT_TRUE(WriteFile(dir / "list.m3u8", "\xEF\xBB\xBF" + ModelPlaylist(&entries)));
    const std::vector<std::vector<std::string>> searches = {
        {"zebra"}, {"zebra", "quay"}, {"artist", "zebra"}, {"mp3"}, {"c:\\ccc"}, {"ff", "zebra"}, {"é"}, {"ik"}, {"nowhere"}};
    for (const auto& words : searches) {
        std::vector<std::uint32_t> expected;
        for (std::size_t i = 0; i < entries.size() && expected.size() < zel::kMostMatches; ++i) {
            bool all = true;
            for (const std::string& w : words) all = all && (Holds(entries[i].title, w) || Holds(entries[i].path, w));
            if (all) expected.push_back(static_cast<std::uint32_t>(i + 1));
        }
        std::string joined;
        for (const std::string& w : words) joined += w + " ";
        const std::u16string text = sim::WidePath(joined);
        zel::SearchWords search;
        ASSERT_TRUE(zel::SplitSearchWords(text.data(), text.size(), search));
        for (std::size_t block : {3u, 63u, 64u, 65u, 100u, 4096u, 65536u}) {
            for (zel::ChunkScan scan : {zel::ChunkScan::Portable, zel::ChunkScan::Sse2}) {
                zel::platform::ScopedFile file(zel::platform::OpenFileForReading(
                    sim::WidePath(dir / "list.m3u8").c_str(), false));
                zel::SearchMatches matches;
                EXPECT_EQ(zel::SearchPlaylistWith(file.get(), zel::PlaylistText::Utf8, search, matches, block, scan),
                          zel::SearchOutcome::Searched);
                EXPECT_EQ(std::vector<std::uint32_t>(matches.entry, matches.entry + matches.count), expected)
                    << joined << "in blocks of " << block << ", scan " << static_cast<int>(scan);
            }
        }
    }
    EXPECT_EQ(sim::OpenFiles(), 0);
    EXPECT_EQ(sim::HeapBlocks(), 0);
}

}  // namespace
