#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <utility>

#include "exports.h"
#include "player/caption_title.h"
#include "player/clock_text.h"
#include "sim_fixture.h"

namespace {

using zel::testing::Call;
using zel::testing::Command;

std::string Clock(std::int32_t seconds) {
    char text[zel::kClockCapacity];
    const std::size_t length = zel::FormatClock(seconds, text);
    EXPECT_EQ(length, std::string(text).size());
    return text;
}

TEST(FormatClock, PadsEachPartAndTruncatesTowardZero) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "00:00:00"},          {5, "00:00:05"},         {59, "00:00:59"},
        {60, "00:01:00"},         {3599, "00:59:59"},      {3725, "01:02:05"},
        {360000, "100:00:00"},    {-1, "00:00:-01"},       {-60, "00:-01:00"},
        {-3725, "-01:-02:-05"},   {INT_MAX, "596523:14:07"}, {INT_MIN, "-596523:-14:-08"},
    };
    for (const auto& [seconds, expected] : cases) EXPECT_EQ(Clock(seconds), expected) << seconds;
}

TEST(FormatDecimal, WritesSignedWithoutLeadingZeros) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "0"}, {7, "7"}, {-7, "-7"}, {44100, "44100"}, {INT_MAX, "2147483647"},
        {INT_MIN, "-2147483648"},
    };
    for (const auto& [value, expected] : cases) {
        char text[zel::kDecimalCapacity];
        zel::FormatDecimal(value, text);
        EXPECT_STREQ(text, expected);
    }
}

TEST(CaptionTitle, RemovesOnlyTheFirstPlayerSuffix) {
    const std::pair<const char*, const char*> cases[] = {
        {"3. Artist - Song - Winamp", "3. Artist - Song "},
        {"Winamp 2.91", "Winamp 2.91"},
        {"- Winamp", ""},
        {"A - Winamp - Winamp", "A  - Winamp"},
        {"x- Winampy", "xy"},
        {"- winamp", "- winamp"},  // case matters
        {"- Winam", "- Winam"},
        {"", ""},
    };
    for (const auto& [caption, expected] : cases) {
        char text[zel::kCaptionCapacity];
        std::snprintf(text, sizeof text, "%s", caption);
        const std::size_t length = zel::CaptionTitle(text);
        EXPECT_STREQ(text, expected) << caption;
        EXPECT_EQ(length, std::string(expected).size()) << caption;
    }
}

class StatusQueries : public zel::testing::SimTest {
protected:
    // A player that answers from a table of (code, argument) -> result.
    void StartPlayer(std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> answers,
                     const std::string& caption = "Winamp 2.91") {
        zel::sim::AddWindow("Winamp v1.x", caption, [answers](std::int32_t code, std::int32_t arg) {
            auto found = answers.find({code, arg});
            return found == answers.end() ? 0 : found->second;
        });
    }
};

struct Query {
    Command command;
    const char* name;
    std::int32_t code;
    std::int32_t argument;
};

const Query kQueries[] = {
    {zel_winamp_track_length, "track_length", 105, 1},
    {zel_winamp_track_play_pos, "track_play_pos", 105, 0},
    {zel_winamp_playlist_tracks, "playlist_tracks", 124, 0},
    {zel_winamp_playlist_pos, "playlist_pos", 125, 0},
    {zel_winamp_track_samplerate, "track_samplerate", 126, 0},
    {zel_winamp_track_bitrate, "track_bitrate", 126, 1},
    {zel_winamp_track_channels, "track_channels", 126, 2},
};

TEST_F(StatusQueries, EachFlushesThenSendsItsOneRequest) {
    StartPlayer({});
    for (const Query& q : kQueries) {
        zel::sim::ClearMessages();
        int result = 0;
        Call(q.command, "abc", &result);
        EXPECT_EQ(result, 3);
        const auto& messages = zel::sim::Messages();
        ASSERT_EQ(messages.size(), 2u) << q.name;
        EXPECT_EQ(messages[0].lParam, 120) << q.name;
        EXPECT_EQ(messages[0].wParam, 0u) << q.name;
        EXPECT_EQ(messages[1].message, 0x0400u) << q.name;
        EXPECT_EQ(messages[1].lParam, q.code) << q.name;
        EXPECT_EQ(messages[1].wParam, static_cast<std::uintptr_t>(q.argument)) << q.name;
    }
}

TEST_F(StatusQueries, AnswersFromThePlayersResults) {
    struct Case {
        Command command;
        std::int32_t code, argument, result;
        const char* answer;
    } cases[] = {
        {zel_winamp_track_length, 105, 1, 3725, "01:02:05"},
        {zel_winamp_track_length, 105, 1, -1, "00:00:-01"},
        {zel_winamp_track_play_pos, 105, 0, 59999, "00:00:59"},
        {zel_winamp_track_play_pos, 105, 0, 3600000, "01:00:00"},
        {zel_winamp_track_play_pos, 105, 0, -1, "00:00:00"},
        {zel_winamp_track_play_pos, 105, 0, INT_MIN, "-596:-31:-23"},
        {zel_winamp_playlist_tracks, 124, 0, 12, "12"},
        {zel_winamp_playlist_pos, 125, 0, 0, "1"},
        {zel_winamp_playlist_pos, 125, 0, -1, "0"},
        {zel_winamp_playlist_pos, 125, 0, INT_MAX, "-2147483648"},
        {zel_winamp_track_samplerate, 126, 0, 44100, "44100"},
        {zel_winamp_track_bitrate, 126, 1, -128, "-128"},
        {zel_winamp_track_channels, 126, 2, INT_MIN, "-2147483648"},
    };
    for (const Case& c : cases) {
        zel::sim::Reset();
        StartPlayer({{{c.code, c.argument}, c.result}});
        EXPECT_EQ(Call(c.command), c.answer) << c.code << "/" << c.argument << " = " << c.result;
    }
}

TEST_F(StatusQueries, WithoutAPlayerTheAnswersComeFromZero) {
    const std::pair<Command, const char*> cases[] = {
        {zel_winamp_track_length, "00:00:00"}, {zel_winamp_track_play_pos, "00:00:00"},
        {zel_winamp_playlist_tracks, "0"},     {zel_winamp_playlist_pos, "1"},
        {zel_winamp_track_samplerate, "0"},    {zel_winamp_track_bitrate, "0"},
        {zel_winamp_track_channels, "0"},      {zel_winamp_track_name, "abc"},
    };
    for (const auto& [command, answer] : cases) EXPECT_EQ(Call(command), answer);
}

TEST_F(StatusQueries, TrackNameReadsTheCaptionWithoutMessages) {
    const std::pair<std::string, std::string> cases[] = {
        {"1. Artist - Title - Winamp", "1. Artist - Title "},
        {"- Winamp", "abc"},  // an empty title leaves the buffer alone
        {std::string(255, 'c'), std::string(255, 'c')},
        {std::string(300, 'd'), std::string(255, 'd')},
    };
    for (const auto& [caption, answer] : cases) {
        zel::sim::Reset();
        StartPlayer({}, caption);
        EXPECT_EQ(Call(zel_winamp_track_name), answer);
        EXPECT_TRUE(zel::sim::Messages().empty());
    }
}

}  // namespace
