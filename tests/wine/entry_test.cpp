// The current entry as the player itself names it, through the real DLL: the path read
// from the simulated player's memory (request 214), the playlist file in the settings
// directory it names (338, 337), and the fallback for every answer that is no usable
// address. Track files have names the ANSI code page (1252 here) cannot spell.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

namespace wine_test {
namespace {

// An MP3-like file: some frames, then an ID3v1 tag with this title.
std::string with_id3v1_title(const std::string& title) {
    std::string block = "TAG" + title;
    block.resize(127, '\0');
    return std::string(700, '\xff') + block + '\x11';
}

const std::vector<std::string> kDirect = {"REQ 125 0", "REQ 214 0"};

TEST(PlayerNamedEntry, FilesTheCodePageCannotSpellAreFoundAndRead) {
    const struct {
        const char* what;
        std::string path;  // UTF-8
    } kCases[] = {
        {"Cyrillic", std::string(kWorkDir) + "\xd0\x9c\xd1\x83\xd0\xb7\xd1\x8b\xd0\xba\xd0\xb0.mp3"},
        {"Japanese", std::string(kWorkDir) + "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.mp3"},
    };
    for (const auto& c : kCases) {
        ASSERT_TRUE(write_file_named(c.path, with_id3v1_title(c.what))) << c.what;
        const std::string scenario = "request.125.0=0\ntext.214.0=" + c.path + "\n";
        const PlayerCall file = call_with_player("zel_winamp_track_file", scenario);
        EXPECT_TRUE(file.call.ok()) << file.call.error;
        EXPECT_EQ(file.call.answer, c.path) << c.what;
        EXPECT_EQ(file.messages, kDirect) << c.what << ": no playlist written, nothing else asked";
        for (const char* query : {"zel_winamp_id3_title", "zel_winamp_tag_title"}) {
            const PlayerCall tag = call_with_player(query, scenario);
            EXPECT_EQ(tag.call.answer, c.what) << c.what << " " << query;
            std::vector<std::string> twice = kDirect;
            twice.insert(twice.end(), kDirect.begin(), kDirect.end());
            EXPECT_EQ(tag.messages, twice) << c.what << " " << query;
        }
        DeleteFileW(widen(c.path).c_str());
    }
}

TEST(PlayerNamedEntry, AnswersThatAreNoUsableAddressFallBackToThePlaylistFile) {
    const std::string source = std::string(kWorkDir) + "fallback.m3u";
    write_file(source, "#EXTM3U\r\nC:\\from\\the\\playlist.mp3\r\n");
    const std::string playlist = "request.125.0=0\nplaylist_source=" + source + "\n";
    const struct {
        const char* what;
        std::string setting;
    } kCases[] = {
        {"a player that does not know the request", "request.214.0=1\n"},
        {"a failed request", "request.214.0=0\n"},
        {"the address of unmapped memory", "unmapped.214.0=1\n"},
        {"an empty path", "text.214.0=\n"},
    };
    for (const auto& c : kCases) {
        const PlayerCall result = call_with_player("zel_winamp_track_file", playlist + c.setting);
        EXPECT_TRUE(result.call.ok()) << c.what << ": " << result.call.error;
        EXPECT_EQ(result.call.answer, "C:\\from\\the\\playlist.mp3") << c.what;
        EXPECT_EQ(result.messages, playlist_file_lookup()) << c.what;
    }
}

TEST(PlayerNamedEntry, APathEndingAtTheLastByteOfAReadablePageIsReadWhole) {
    const std::string path = "C:\\edge\\of\\the\\page.mp3";
    const PlayerCall result =
        call_with_player("zel_winamp_track_file", "request.125.0=0\nedge_text.214.0=" + path + "\n");
    EXPECT_TRUE(result.call.ok()) << result.call.error;
    EXPECT_EQ(result.call.answer, path);
    EXPECT_EQ(result.messages, kDirect);
}

#if defined(_WIN64)
TEST(PlayerNamedEntry, AnAddressAbove2GiBComesBackSignExtendedAndIsStillRead) {
    const PlayerCall result =
        call_with_player("zel_winamp_track_file", "request.125.0=0\nhigh_text.214.0=C:\\high.mp3\n");
    EXPECT_EQ(result.call.answer, "C:\\high.mp3");
}
#endif

TEST(PlayerNamedEntry, ThePlaylistIsReadInTheSettingsDirectoryThePlayerNames) {
    // A stale playlist in the install directory, the real one in the settings directory.
    const std::string settings = std::string(kWorkDir) + "settings";
    make_dirs(settings + "\\");
    write_file(std::string(kInstallDir) + "winamp.m3u", "#EXTM3U\r\nC:\\stale.mp3\r\n");
    const std::string source = std::string(kWorkDir) + "fresh.m3u";
    write_file(source, "#EXTM3U\r\nC:\\fresh.mp3\r\n");
    const std::string base = "request.125.0=0\nplaylist_source=" + source + "\nplaylist_dir=" +
                             settings + "\n";
    const struct {
        const char* what;
        std::string setting;
        std::vector<std::string> messages;
    } kCases[] = {
        {"named in UTF-16", "text.338.0=" + settings + "\n",
         {"REQ 125 0", "REQ 214 0", "REQ 120 0", "REQ 338 0"}},
        {"named in ANSI by an older player", "request.338.0=1\ntext.337.0=" + settings + "\n",
         {"REQ 125 0", "REQ 214 0", "REQ 120 0", "REQ 338 0", "REQ 337 0"}},
    };
    for (const auto& c : kCases) {
        const PlayerCall result = call_with_player("zel_winamp_track_file", base + c.setting);
        EXPECT_TRUE(result.call.ok()) << c.what << ": " << result.call.error;
        EXPECT_EQ(result.call.answer, "C:\\fresh.mp3") << c.what;
        EXPECT_EQ(result.messages, c.messages) << c.what;
    }
    remove_file(std::string(kInstallDir) + "winamp.m3u");
}

TEST(PlayerNamedEntry, AWinampM3u8NamesWhatTheCodePageCannot) {
    // A player that names no path by address: the playlist files tell. Winamp.m3u spells
    // the Cyrillic name "????.mp3"; Winamp.m3u8 spells it whole.
    const std::string cyrillic = std::string(kWorkDir) + "\xd0\x9a\xd0\xb8\xd0\xbd\xd0\xbe.mp3";
    const std::string ascii = std::string(kWorkDir) + "kino.mp3";
    ASSERT_TRUE(write_file_named(cyrillic, with_id3v1_title("Gruppa")));
    ASSERT_TRUE(write_file_named(ascii, with_id3v1_title("Ascii")));
    const struct {
        const char* what;
        std::string scenario;
        std::string path;  // what track_file answers
        std::string title;
    } kCases[] = {
        {"both files written", "entry=" + cyrillic + "\n", cyrillic, "Gruppa"},
        {"an older player writes winamp.m3u alone", "m3u8=0\nentry=" + ascii + "\n", ascii, "Ascii"},
        {"... where the code page spells no name", "m3u8=0\nentry=" + cyrillic + "\n",
         std::string(kWorkDir) + "????.mp3", "n/a"},
    };
    for (const auto& c : kCases) {
        const std::string scenario = "entry_texts=0\n" + c.scenario;
        const PlayerCall file = call_with_player("zel_winamp_track_file", scenario);
        EXPECT_EQ(file.call.answer, c.path) << c.what;
        EXPECT_EQ(file.messages, playlist_file_lookup()) << c.what;
        for (const char* query : {"zel_winamp_id3_title", "zel_winamp_tag_title"}) {
            EXPECT_EQ(call_with_player(query, scenario).call.answer, c.title) << c.what << " " << query;
        }
    }
    DeleteFileW(widen(cyrillic).c_str());
    DeleteFileW(widen(ascii).c_str());
    remove_file(std::string(kInstallDir) + "winamp.m3u");
}

TEST(PlayerNamedEntry, ALongPlaylistCostsNothingExtra) {
    // The player names the entry at position 99,999; no playlist exists at all.
    remove_file(std::string(kInstallDir) + "winamp.m3u");
    const PlayerCall result = call_with_player(
        "zel_winamp_track_file", "request.125.0=99999\ntext.214.99999=C:\\last\\of\\many.mp3\n");
    EXPECT_EQ(result.call.answer, "C:\\last\\of\\many.mp3");
    EXPECT_EQ(result.messages, (std::vector<std::string>{"REQ 125 0", "REQ 214 99999"}));
}

}  // namespace
}  // namespace wine_test
