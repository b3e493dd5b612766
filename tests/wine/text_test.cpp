// Answer text through the real DLL: a client that reports 7.x gets UTF-8, one that reports
// 6.x gets the bytes of the ANSI code page (1252 under Wine); the x64 DLL answers every
// client in UTF-8. The caption, a playlist line and an ID3v1 tag carry code-page bytes.
#include <gtest/gtest.h>

#include <string>

#include "harness.h"

namespace wine_test {
namespace {

struct Client {
    const char* name;
    uint32_t version;
    bool utf8;  // the answer it should get
};
const Client kClients[] = {{"7.69", kClientVersion7, true},
                           {"6.35", kClientVersion6, kEveryClientGetsUtf8}};

// The 128 bytes of an ID3v1 tag with a title and an artist.
std::string id3v1_block(const std::string& title, const std::string& artist) {
    std::string block = "TAG" + title;
    block.resize(33, '\0');
    block += artist;
    block.resize(127, '\0');
    return block + '\x11';  // genre 17
}

std::string scenario_playing(const std::string& entry) {
    const std::string source = std::string(kWorkDir) + "text.m3u";
    write_file(source, "#EXTM3U\r\n#EXTINF:1,x\r\n" + entry + "\r\n");
    return "playlist_source=" + source + "\nrequest.125.0=0\n";
}

TEST(AnswerText, CodePageTextReachesEachClientInItsEncoding) {
    const std::string track = std::string(kWorkDir) + "caf\xe9.mp3";
    ASSERT_TRUE(write_file(track, std::string(600, '\xff') +
                                      id3v1_block("\xe9t\xe9 \xf6", "M\xf6tley \x80")));
    set_caption(shared_player(), "3. Beyonc\xe9 - Halo - Winamp");
    const std::string scenario = scenario_playing(track);
    const struct {
        const char* query;
        std::string ansi;
        std::string utf8;
    } kCases[] = {
        {"zel_winamp_track_name", "3. Beyonc\xe9 - Halo ", "3. Beyonc\xc3\xa9 - Halo "},
        {"zel_winamp_track_file", track, std::string(kWorkDir) + "caf\xc3\xa9.mp3"},
        {"zel_winamp_id3_title", "\xe9t\xe9 \xf6", "\xc3\xa9t\xc3\xa9 \xc3\xb6"},
        {"zel_winamp_id3_artist", "M\xf6tley \x80", "M\xc3\xb6tley \xe2\x82\xac"},
        {"zel_winamp_id3_genre", "Rock", "Rock"},
        {"zel_winamp_playlist_pos", "1", "1"},
    };
    for (const Client& client : kClients) {
        for (const auto& c : kCases) {
            const PlayerCall result = call_with_player(c.query, scenario, "abc", client.version);
            EXPECT_TRUE(result.call.ok()) << client.name << " " << c.query << ": " << result.call.error;
            EXPECT_EQ(result.call.answer, client.utf8 ? c.utf8 : c.ansi)
                << "client " << client.name << ", " << c.query;
        }
    }
    set_caption(shared_player(), "Winamp 2.91");
    remove_file(track);
}

TEST(AnswerText, ACaptionTheCodePageCannotSpellReachesUtf8ClientsWhole) {
    set_wide_caption(shared_player(), L"1. \u65e5\u672c\u8a9e - Winamp");
    for (const Client& client : kClients) {
        const ClientCall c = call("zel_winamp_track_name", "abc", client.version);
        EXPECT_TRUE(c.ok()) << c.error;
        EXPECT_EQ(c.answer, client.utf8 ? "1. \xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e " : "1. ??? ")
            << "client " << client.name;
    }
    set_caption(shared_player(), "Winamp 2.91");
}

TEST(AnswerText, ACaptionWithATabIsOneLine) {
    set_wide_caption(shared_player(), L"2. Tab\tTitle - Winamp");
    for (const Client& client : kClients) {
        EXPECT_EQ(call("zel_winamp_track_name", "abc", client.version).answer, "2. Tab Title ") << client.name;
    }
    set_caption(shared_player(), "Winamp 2.91");
}

TEST(AnswerText, TheCutAt899BytesNeverSplitsACharacter) {
    // "C:\" and letters, then a character of two UTF-8 bytes: 899 bytes in the code page.
    const struct {
        const char* what;
        size_t letters;
        std::string utf8_tail;  // what the UTF-8 answer ends with
        size_t utf8_size;
    } kCases[] = {
        {"the cut would fall inside the last character", 895, "a", 898},
        {"the last character ends at exactly 899 bytes", 894, "\xc3\xa9", 899},
    };
    for (const auto& c : kCases) {
        const std::string entry = "C:\\" + std::string(c.letters, 'a') + "\xe9";
        for (const Client& client : kClients) {
            const PlayerCall result =
                call_with_player("zel_winamp_track_file", scenario_playing(entry), "abc", client.version);
            EXPECT_TRUE(result.call.ok()) << result.call.error;
            const std::string& answer = result.call.answer;
            if (client.utf8) {
                EXPECT_EQ(answer.size(), c.utf8_size) << c.what;
                EXPECT_EQ(answer.substr(answer.size() - c.utf8_tail.size()), c.utf8_tail) << c.what;
            } else {
                EXPECT_EQ(answer, entry.substr(0, 899)) << c.what;
            }
        }
    }
}

}  // namespace
}  // namespace wine_test
