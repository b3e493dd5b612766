// The eight status queries through the real DLL: each flushes the playlist, asks the
// player one request and answers its result as clock text or signed decimal; the caption
// query reads the window title and sends nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

namespace wine_test {
namespace {

struct StatusCase {
    const char* name;
    int code;
    int arg;
    const char* value;   // what the player answers
    const char* answer;  // what the DLL must write
};

const StatusCase kStatusCases[] = {
    {"zel_winamp_track_length", 105, 1, "3725", "01:02:05"},
    {"zel_winamp_track_length", 105, 1, "0", "00:00:00"},
    {"zel_winamp_track_length", 105, 1, "360000", "100:00:00"},
    {"zel_winamp_track_length", 105, 1, "-3725", "-01:-02:-05"},
    {"zel_winamp_track_length", 105, 1, "-1", "00:00:-01"},
    {"zel_winamp_track_length", 105, 1, "59", "00:00:59"},
    {"zel_winamp_track_play_pos", 105, 0, "59999", "00:00:59"},
    {"zel_winamp_track_play_pos", 105, 0, "3600000", "01:00:00"},
    {"zel_winamp_track_play_pos", 105, 0, "-1", "00:00:00"},
    {"zel_winamp_track_play_pos", 105, 0, "3725999", "01:02:05"},
    {"zel_winamp_track_play_pos", 105, 0, "-3600000", "-01:00:00"},
    {"zel_winamp_playlist_tracks", 124, 0, "0", "0"},
    {"zel_winamp_playlist_tracks", 124, 0, "42", "42"},
    {"zel_winamp_playlist_tracks", 124, 0, "-2147483648", "-2147483648"},
    {"zel_winamp_playlist_tracks", 124, 0, "2147483647", "2147483647"},
    {"zel_winamp_playlist_pos", 125, 0, "0", "1"},
    {"zel_winamp_playlist_pos", 125, 0, "-1", "0"},
    {"zel_winamp_playlist_pos", 125, 0, "4", "5"},
    {"zel_winamp_playlist_pos", 125, 0, "2147483647", "-2147483648"},
    {"zel_winamp_playlist_pos", 125, 0, "-2147483648", "-2147483647"},
    {"zel_winamp_track_samplerate", 126, 0, "44", "44"},  // kHz, as the player counts
    {"zel_winamp_track_samplerate", 126, 0, "-1", "-1"},
    {"zel_winamp_track_bitrate", 126, 1, "128", "128"},
    {"zel_winamp_track_bitrate", 126, 1, "-2147483648", "-2147483648"},
    {"zel_winamp_track_channels", 126, 2, "2", "2"},
    {"zel_winamp_track_channels", 126, 2, "10", "10"},
};

void expect_sound_call(const ClientCall& call, const std::string& what) {
    EXPECT_TRUE(call.ok()) << what << ": " << call.error;
    EXPECT_EQ(call.result, 3) << what;
    EXPECT_TRUE(call.stack_ok) << what << " popped " << call.popped;
}

TEST(StatusQueries, AnswerThePlayersResult) {
    for (const auto& c : kStatusCases) {
        const std::string what = std::string(c.name) + " with " + c.value;
        const std::string request = "REQ " + std::to_string(c.code) + " " + std::to_string(c.arg);
        const std::string scenario = "request." + std::to_string(c.code) + "." +
                                     std::to_string(c.arg) + "=" + c.value + "\n";
        const PlayerCall result = call_with_player(c.name, scenario);
        expect_sound_call(result.call, what);
        EXPECT_EQ(result.call.answer, c.answer) << what;
        EXPECT_EQ(result.messages, (std::vector<std::string>{"REQ 120 0", request})) << what;
    }
}

TEST(StatusQueries, OtherRequestsInTheScenarioDoNotLeakIn) {
    // Every request answered with a distinct value: each query must pick its own.
    const std::string scenario =
        "request.105.0=7000\nrequest.105.1=8\nrequest.124.0=9\nrequest.125.0=10\n"
        "request.126.0=11\nrequest.126.1=12\nrequest.126.2=13\nrequest.120.0=99\n";
    const struct {
        const char* name;
        const char* answer;
    } kExpected[] = {
        {"zel_winamp_track_play_pos", "00:00:07"}, {"zel_winamp_track_length", "00:00:08"},
        {"zel_winamp_playlist_tracks", "9"},       {"zel_winamp_playlist_pos", "11"},
        {"zel_winamp_track_samplerate", "11"},     {"zel_winamp_track_bitrate", "12"},
        {"zel_winamp_track_channels", "13"},
    };
    for (const auto& e : kExpected) {
        EXPECT_EQ(call_with_player(e.name, scenario).call.answer, e.answer) << e.name;
    }
}

struct CaptionCase {
    std::string caption;
    bool answers;        // false: the buffer must stay untouched
    std::string answer;
};

TEST(StatusQueries, TrackNameIsTheCaptionWithoutThePlayerName) {
    const CaptionCase kCases[] = {
        {"3. Artist - Song - Winamp", true, "3. Artist - Song "},
        {"Winamp 2.91", true, "Winamp 2.91"},
        {"- Winamp", false, ""},
        {"A - Winamp - Winamp", true, "A  - Winamp"},
        {"Song -Winamp", true, "Song -Winamp"},
        {"Song - winamp", true, "Song - winamp"},
        {"- WinampX", true, "X"},
        {std::string(255, 'c'), true, std::string(255, 'c')},
        {std::string(254, 'd') + "- Winamp", true, std::string(254, 'd') + "-"},
        {std::string(300, 'e'), true, std::string(255, 'e')},
    };
    Player& player = shared_player();
    for (const auto& c : kCases) {
        const std::string what = "caption \"" + c.caption.substr(0, 40) + "\" (" +
                                 std::to_string(c.caption.size()) + " bytes)";
        set_caption(player, c.caption);
        clear_log(player);
        const ClientCall result = call("zel_winamp_track_name", "abc");
        expect_sound_call(result, what);
        if (c.answers) {
            EXPECT_EQ(result.answer, c.answer) << what;
        } else {
            EXPECT_TRUE(result.untouched) << what << " wrote \"" << result.answer << "\"";
        }
        EXPECT_TRUE(read_log(player).empty()) << what << ": the caption query sent messages";
    }
    set_caption(player, "Winamp 2.91");
}

TEST(StatusQueries, WithoutAPlayerTheAnswersComeFromZero) {
    stop_shared_player();
    ASSERT_EQ(FindWindowA("Winamp v1.x", nullptr), nullptr);
    const struct {
        const char* name;
        const char* answer;
    } kExpected[] = {
        {"zel_winamp_track_length", "00:00:00"},  {"zel_winamp_track_play_pos", "00:00:00"},
        {"zel_winamp_playlist_tracks", "0"},      {"zel_winamp_playlist_pos", "1"},
        {"zel_winamp_track_samplerate", "0"},     {"zel_winamp_track_bitrate", "0"},
        {"zel_winamp_track_channels", "0"},
    };
    for (const auto& e : kExpected) {
        const ClientCall result = call(e.name, "abc");
        expect_sound_call(result, e.name);
        EXPECT_EQ(result.answer, e.answer) << e.name;
    }
    const ClientCall name = call("zel_winamp_track_name", "abc");
    expect_sound_call(name, "zel_winamp_track_name");
    EXPECT_TRUE(name.untouched) << "zel_winamp_track_name wrote \"" << name.answer << "\"";
}

}  // namespace
}  // namespace wine_test

namespace wine_test {
namespace {

// The client normally unloads the DLL after every call; one that keeps it loaded must get
// the same answers, since the library keeps no state between calls.
TEST(StatusQueries, AModuleKeptLoadedAnswersEveryCallAlike) {
    Player& player = shared_player();
    ClientModule module = client_open(dll_path().c_str());
    ASSERT_TRUE(module.loaded) << module.error;
    for (int i = 0; i < 50; ++i) {
        set_scenario(player, "request.125.0=" + std::to_string(i) + "\n");
        const ClientCall result = client_call_in(module, "zel_winamp_playlist_pos", "abc");
        ASSERT_TRUE(result.ok()) << i << ": " << result.error;
        ASSERT_EQ(result.answer, std::to_string(i + 1));
    }
    EXPECT_TRUE(client_close(module));
}

}  // namespace
}  // namespace wine_test
