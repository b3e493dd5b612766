// The one second of waiting that a call has for the player: every message is given what
// is left of it, and once the player fails to answer in time the call answers as if no
// player ran.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "exports.h"
#include "platform/sim.h"
#include "sim_fixture.h"
#include "tag_test_support.h"

namespace {

namespace sim = zel::sim;
using zel::testing::Call;
using zel::testing::Command;

class CallAllowanceTest : public zel::testing::SimTest {};

TEST_F(CallAllowanceTest, EveryMessageWaitsOnlyForWhatIsLeftOfTheCallsSecond) {
    struct Case {
        const char* what;
        Command command;
        std::uint32_t answerMs;
        bool hung;
        std::string answer;
        std::vector<std::uint32_t> waits;  // the wait each send was given
        std::size_t delivered;
        const char* argument = "abc";
    };
    const Case cases[] = {
        {"prompt", zel_winamp_playlist_tracks, 0, false, "7", {1000, 1000}, 2},
        {"slow, in time", zel_winamp_playlist_tracks, 300, false, "7", {1000, 700}, 2},
        {"second answer late", zel_winamp_playlist_tracks, 600, false, "0", {1000, 400}, 2},
        {"first answer late", zel_winamp_playlist_pos, 1500, false, "1", {1000}, 1},
        {"hung: no wait at all", zel_winamp_track_length, 0, true, "00:00:00", {1000}, 0},
        {"command to a hung player", zel_winamp_play, 0, true, "abc", {1000}, 0},
        {"control, answer late", zel_winamp_set_volume, 1500, false, "ERR player not running",
         {1000}, 1, "50"},
    };
    for (const Case& c : cases) {
        sim::Reset();
        const int player = sim::AddWindow(zel::kPlayerWindowClass, "",
                                          [](std::int32_t, std::int32_t) { return 7; });
        sim::SetAnswerTime(player, c.answerMs);
        sim::SetHung(player, c.hung);
        EXPECT_EQ(Call(c.command, c.argument), c.answer) << c.what;
        EXPECT_EQ(sim::SendWaits(), c.waits) << c.what;
        EXPECT_EQ(sim::Messages().size(), c.delivered) << c.what;
    }
}

TEST_F(CallAllowanceTest, EachCallStartsWithTheWholeSecond) {
    const int player = sim::AddWindow(zel::kPlayerWindowClass, "",
                                      [](std::int32_t, std::int32_t) { return 7; });
    sim::SetHung(player, true);
    EXPECT_EQ(Call(zel_winamp_playlist_tracks), "0");
    sim::SetHung(player, false);
    sim::AdvanceClock(5000);
    EXPECT_EQ(Call(zel_winamp_playlist_tracks), "7") << "an earlier call's silence lingers";
}

// A script run while a call waits calls again: the nested call has what is left of the
// outer call's second, does not give the outer call a fresh one, and once both have ended
// the next call has its whole second.
TEST_F(CallAllowanceTest, ANestedCallSharesTheSecondOfTheCallItRunsIn) {
    std::vector<std::string> nested;
    bool nestOnce = true;
    const int player = sim::AddWindow(zel::kPlayerWindowClass, "", [&](std::int32_t code, std::int32_t) {
        if (code == zel::kRequestWritePlaylist && nestOnce) {
            nestOnce = false;
            nested.push_back(Call(zel_winamp_playlist_pos));
        }
        return 7;
    });
    sim::SetAnswerTime(player, 200);
    EXPECT_EQ(Call(zel_winamp_playlist_tracks), "7");
    EXPECT_EQ(nested, std::vector<std::string>{"8"});
    // Outer flush (1000), within it the nested flush and position, then the outer request.
    EXPECT_EQ(sim::SendWaits(), (std::vector<std::uint32_t>{1000, 800, 600, 400}));
    EXPECT_EQ(Call(zel_winamp_playlist_tracks), "7");
    EXPECT_EQ(sim::SendWaits(), (std::vector<std::uint32_t>{1000, 800, 600, 400, 1000, 800}));
}

// The player answers its position, then falls silent: the entry is not looked up at the
// position it named in a playlist file it was never made to write, but as without a player.
TEST_F(CallAllowanceTest, ALookupCutShortAnswersAsWithoutAPlayer) {
    zel::testing::ScratchDir dir;
    zel::testing::RegisterPlayer();
    ASSERT_TRUE(zel::testing::WriteFile(zel::testing::kPlaylistName, "first.mp3\r\nsecond.mp3\r\n"));
    zel::testing::SimPlayer player;
    player.positions = {1};
    zel::testing::StartPlayer(player);
    sim::SetAnswerTime(0, 600);
    EXPECT_EQ(Call(zel_winamp_track_file), "first.mp3");
    EXPECT_EQ(zel::testing::RequestCodes(), (std::vector<std::intptr_t>{125, 214}));
}

}  // namespace

namespace {

// A player run as administrator: the system refuses its requests and copy data, and lets
// its menu commands through. Queries answer as without a player; a command with an
// argument says why.
TEST_F(CallAllowanceTest, APlayerRunAsAdministratorTakesOnlyMenuCommands) {
    const struct {
        Command command;
        const char* argument;
        std::string answer;
        std::size_t delivered;  // menu commands alone arrive
    } cases[] = {
        {zel_winamp_set_volume, "50", "ERR the player runs as administrator", 0},
        {zel_winamp_enqueue, "http://radio.example/x", "ERR the player runs as administrator", 0},
        {zel_winamp_insert_next, "2", "ERR the player runs as administrator", 0},
        {zel_winamp_jump, "2", "ERR the player runs as administrator", 0},
        {zel_winamp_play_state, "", "not running", 0},
        {zel_winamp_playlist_tracks, "abc", "0", 0},
        {zel_winamp_rating, "", "n/a", 0},
        {zel_winamp_pause, "abc", "abc", 1},
    };
    for (const auto& c : cases) {
        sim::Reset();
        sim::SetElevated(sim::AddWindow("Winamp v1.x", "", [](std::int32_t, std::int32_t) { return 7; }), true);
        EXPECT_EQ(Call(c.command, c.argument), c.answer) << c.argument;
        EXPECT_EQ(sim::Messages().size(), c.delivered) << c.argument;
    }
}

}  // namespace
