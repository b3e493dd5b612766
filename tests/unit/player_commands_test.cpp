#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "exports.h"
#include "host/load_record.h"
#include "sim_fixture.h"

namespace {

using zel::testing::Call;
using zel::testing::Command;

constexpr std::uint32_t kUser = 0x0400;
constexpr std::uint32_t kCommand = 0x0111;

struct Expected {
    Command command;
    const char* name;
    std::uint32_t id;
    bool flush;
};

// Written out independently of the command table, so that a wrong identifier or flush
// flag in the table shows here.
#define E(name, id, flush) {zel_winamp_##name, "zel_winamp_" #name, id, flush}
const Expected kExpected[] = {
    E(inc_volume, 40058, true), E(dec_volume, 40059, true), E(pause, 40046, true),
    E(stop, 40047, true), E(stop_after, 40157, true), E(prev_track, 40044, true),
    E(next_track, 40048, false), E(play, 40045, false), E(next_5sec, 40148, false),
    E(prev_5sec, 40144, false), E(toggle_repeat, 40022, false), E(toggle_shuffle, 40023, true),
    E(open_file, 40029, true), E(open_url, 40155, true), E(fade_out, 40147, true),
    E(close, 40001, false), E(start_of_playlist, 40154, false), E(end_of_playlist, 40158, false),
    E(jump_to_time, 40193, false), E(jump_to_file, 40194, false),
    E(open_skinselector, 40219, false), E(reload_skin, 40291, false),
    E(10_tracks_back_in_playlist, 40197, false), E(time_display_to_elapsed, 40037, false),
    E(time_display_to_remaining, 40038, false), E(Toggle_title_Autoscrolling, 40189, false),
    E(Toggle_always_on_top, 40019, false), E(Toggle_doublesize_mode, 40165, false),
    E(Toggle_EQ, 40036, false), E(Toggle_playlist_editor, 40040, false),
    E(Toggle_main_window_visible, 40258, false), E(Toggle_minibrowser, 40298, false),
    E(Toggle_easymove, 40186, false), E(Play_audio_CD, 40323, false),
};
#undef E

std::vector<zel::sim::Message> ExpectedMessages(const Expected& e, int window) {
    std::vector<zel::sim::Message> messages;
    if (e.flush) messages.push_back({window, kUser, 0, 120});
    messages.push_back({window, kCommand, e.id, 0});
    return messages;
}

void ExpectMessages(const std::vector<zel::sim::Message>& expected, const char* name) {
    const auto& actual = zel::sim::Messages();
    ASSERT_EQ(actual.size(), expected.size()) << name;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].window, expected[i].window) << name << " message " << i;
        EXPECT_EQ(actual[i].message, expected[i].message) << name << " message " << i;
        EXPECT_EQ(actual[i].wParam, expected[i].wParam) << name << " message " << i;
        EXPECT_EQ(actual[i].lParam, expected[i].lParam) << name << " message " << i;
    }
}

class PlayerCommands : public zel::testing::SimTest {};

TEST_F(PlayerCommands, TableHoldsEachCommandOnceWithTheExpectedFlags) {
    ASSERT_EQ(std::size(zel::kPlayerCommands), std::size(kExpected));
    std::set<std::string> names;
    for (std::size_t i = 0; i < std::size(kExpected); ++i) {
        EXPECT_STREQ(zel::kPlayerCommands[i].exportName, kExpected[i].name);
        EXPECT_EQ(zel::kPlayerCommands[i].id, kExpected[i].id) << kExpected[i].name;
        EXPECT_EQ(zel::kPlayerCommands[i].flushFirst, kExpected[i].flush) << kExpected[i].name;
        names.insert(kExpected[i].name);
    }
    EXPECT_EQ(names.size(), std::size(kExpected));
    int flushing = 0;
    for (const auto& e : kExpected) flushing += e.flush ? 1 : 0;
    EXPECT_EQ(flushing, 10);
}

TEST_F(PlayerCommands, EachSendsItsMessagesAndLeavesTheBufferAlone) {
    zel::sim::AddWindow("Winamp v1.x", "Winamp 2.91");
    for (const Expected& e : kExpected) {
        zel::sim::ClearMessages();
        int result = 0;
        EXPECT_EQ(Call(e.command, "abc", &result), "abc") << e.name;
        EXPECT_EQ(result, 3) << e.name;
        ExpectMessages(ExpectedMessages(e, 0), e.name);
    }
}

TEST_F(PlayerCommands, RepeatedCallsSendAgain) {
    zel::sim::AddWindow("Winamp v1.x");
    for (const Expected& e : {kExpected[2], kExpected[7]}) {
        zel::sim::ClearMessages();
        Call(e.command);
        Call(e.command);
        auto twice = ExpectedMessages(e, 0);
        const auto once = twice;
        twice.insert(twice.end(), once.begin(), once.end());
        ExpectMessages(twice, e.name);
    }
}

TEST_F(PlayerCommands, WithoutAPlayerNothingIsSent) {
    zel::sim::AddWindow("Winamp v5.x");  // another class is not the player
    for (const Expected& e : kExpected) {
        int result = 0;
        EXPECT_EQ(Call(e.command, "abc", &result), "abc") << e.name;
        EXPECT_EQ(result, 3) << e.name;
    }
    EXPECT_TRUE(zel::sim::Messages().empty());
}

TEST_F(PlayerCommands, TheFirstWindowOfTheClassIsUsed) {
    zel::sim::AddWindow("Other");
    const int first = zel::sim::AddWindow("Winamp v1.x");
    zel::sim::AddWindow("Winamp v1.x");
    Call(zel_winamp_pause);
    ExpectMessages({{first, kUser, 0, 120}, {first, kCommand, 40046, 0}}, "pause");
}

TEST(LoadDll, ClearsOnlyTheKeepLoadedByte) {
    // The flag sits where this build's record puts it: byte 8 on x86, 16 on x64.
    constexpr std::size_t kFlag = zel::kKeepLoadedOffset;
    unsigned char record[sizeof(zel::LoadRecord)];
    for (std::size_t i = 0; i < sizeof record; ++i) record[i] = static_cast<unsigned char>(0xA0 + i);
    record[kFlag] = 1;
    record[kFlag + 1] = record[kFlag + 2] = record[kFlag + 3] = 0;
    unsigned char expected[sizeof record];
    std::copy(std::begin(record), std::end(record), expected);
    expected[kFlag] = 0;
    LoadDll(record);
    EXPECT_TRUE(std::equal(std::begin(record), std::end(record), expected));
}

}  // namespace
