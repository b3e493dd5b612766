// The 34 player commands through the real DLL: each sends exactly its menu command (after a
// playlist flush for the ten that have one) to the player found by class, answers nothing,
// returns 3 and balances the stack, with or without a player running.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

namespace wine_test {
namespace {

struct PlayerCommand {
    const char* name;
    int id;
    bool flush;
};

const PlayerCommand kCommands[] = {
    {"zel_winamp_inc_volume", 40058, true},
    {"zel_winamp_dec_volume", 40059, true},
    {"zel_winamp_pause", 40046, true},
    {"zel_winamp_stop", 40047, true},
    {"zel_winamp_stop_after", 40157, true},
    {"zel_winamp_prev_track", 40044, true},
    {"zel_winamp_next_track", 40048, false},
    {"zel_winamp_play", 40045, false},
    {"zel_winamp_next_5sec", 40148, false},
    {"zel_winamp_prev_5sec", 40144, false},
    {"zel_winamp_toggle_repeat", 40022, false},
    {"zel_winamp_toggle_shuffle", 40023, true},
    {"zel_winamp_open_file", 40029, true},
    {"zel_winamp_open_url", 40155, true},
    {"zel_winamp_fade_out", 40147, true},
    {"zel_winamp_close", 40001, false},
    {"zel_winamp_start_of_playlist", 40154, false},
    {"zel_winamp_end_of_playlist", 40158, false},
    {"zel_winamp_jump_to_time", 40193, false},
    {"zel_winamp_jump_to_file", 40194, false},
    {"zel_winamp_open_skinselector", 40219, false},
    {"zel_winamp_reload_skin", 40291, false},
    {"zel_winamp_10_tracks_back_in_playlist", 40197, false},
    {"zel_winamp_time_display_to_elapsed", 40037, false},
    {"zel_winamp_time_display_to_remaining", 40038, false},
    {"zel_winamp_Toggle_title_Autoscrolling", 40189, false},
    {"zel_winamp_Toggle_always_on_top", 40019, false},
    {"zel_winamp_Toggle_doublesize_mode", 40165, false},
    {"zel_winamp_Toggle_EQ", 40036, false},
    {"zel_winamp_Toggle_playlist_editor", 40040, false},
    {"zel_winamp_Toggle_main_window_visible", 40258, false},
    {"zel_winamp_Toggle_minibrowser", 40298, false},
    {"zel_winamp_Toggle_easymove", 40186, false},
    {"zel_winamp_Play_audio_CD", 40323, false},
};

std::vector<std::string> expected_messages(const PlayerCommand& command) {
    std::vector<std::string> messages;
    if (command.flush) messages.push_back("REQ 120 0");
    messages.push_back("CMD " + std::to_string(command.id));
    return messages;
}

// What every command call must look like from the client's side.
void expect_no_answer(const ClientCall& call, const char* name) {
    EXPECT_TRUE(call.ok()) << name << ": " << call.error;
    EXPECT_EQ(call.result, 3) << name;
    EXPECT_TRUE(call.untouched) << name << " wrote \"" << call.answer << "\"";
    EXPECT_TRUE(call.stack_ok) << name << " popped " << call.popped;
}

TEST(PlayerCommands, TableHasEveryCommandOnce) {
    EXPECT_EQ(sizeof kCommands / sizeof kCommands[0], 34u);
    int flushing = 0;
    for (const auto& command : kCommands) flushing += command.flush ? 1 : 0;
    EXPECT_EQ(flushing, 10);
}

TEST(PlayerCommands, EachSendsItsMessagesAndAnswersNothing) {
    for (const auto& command : kCommands) {
        const PlayerCall result = call_with_player(command.name, "");
        expect_no_answer(result.call, command.name);
        EXPECT_EQ(result.messages, expected_messages(command)) << command.name;
    }
}

TEST(PlayerCommands, PauseFlushesThenPausesAndPlayOnlyPlays) {
    EXPECT_EQ(call_with_player("zel_winamp_pause", "").messages,
              (std::vector<std::string>{"REQ 120 0", "CMD 40046"}));
    EXPECT_EQ(call_with_player("zel_winamp_play", "").messages,
              (std::vector<std::string>{"CMD 40045"}));
}

TEST(PlayerCommands, RepeatedCallsSendEachTime) {
    for (const char* name : {"zel_winamp_toggle_repeat", "zel_winamp_toggle_shuffle"}) {
        Player& player = shared_player();
        clear_log(player);
        for (int i = 0; i < 3; ++i) expect_no_answer(call(name), name);
        const std::vector<std::string> log = read_log(player);
        const bool flush = std::string(name) == "zel_winamp_toggle_shuffle";
        const std::string cmd = flush ? "CMD 40023" : "CMD 40022";
        std::vector<std::string> expected;
        for (int i = 0; i < 3; ++i) {
            if (flush) expected.push_back("REQ 120 0");
            expected.push_back(cmd);
        }
        EXPECT_EQ(log, expected) << name;
    }
}

TEST(PlayerCommands, ParametersLongerThanTheAnswerAreLeftAlone) {
    const std::string params(899, 'p');
    const ClientCall result = call_with_player("zel_winamp_stop", "", params).call;
    expect_no_answer(result, "zel_winamp_stop");
    EXPECT_EQ(result.answer, params);
}

TEST(PlayerCommands, TheFirstWindowOfTheClassGetsTheMessages) {
    Player& first = shared_player();
    Player second;
    ASSERT_TRUE(start_player(second, "second", std::string(kWorkDir) + "wa2\\"));
    const HWND chosen = FindWindowA("Winamp v1.x", nullptr);
    ASSERT_TRUE(chosen == first.window || chosen == second.window);
    Player& receiver = chosen == first.window ? first : second;
    Player& other = chosen == first.window ? second : first;
    clear_log(first);
    clear_log(second);
    expect_no_answer(call("zel_winamp_pause"), "zel_winamp_pause");
    expect_no_answer(call("zel_winamp_play"), "zel_winamp_play");
    EXPECT_EQ(read_log(receiver),
              (std::vector<std::string>{"REQ 120 0", "CMD 40046", "CMD 40045"}));
    EXPECT_TRUE(read_log(other).empty());
    stop_player(second);
}

TEST(LoadRecord, LoadDllClearsOnlyTheKeepByte) {
    ClientModule module = client_open(dll_path().c_str());
    ASSERT_TRUE(module.loaded) << module.error;
    EXPECT_TRUE(module.has_load_dll);
    EXPECT_TRUE(module.load_record_ok) << module.error;
    EXPECT_TRUE(module.load_stack_ok) << "LoadDll popped " << module.load_popped;
    EXPECT_TRUE(client_close(module)) << "the DLL stayed loaded";
}

// Last in this file: it stops the shared player; the next user starts it again.
TEST(PlayerCommands, WithoutAPlayerEachReturns3AndSendsNothing) {
    stop_shared_player();
    ASSERT_EQ(FindWindowA("Winamp v1.x", nullptr), nullptr);
    for (const auto& command : kCommands) {
        expect_no_answer(call(command.name), command.name);
    }
}

}  // namespace
}  // namespace wine_test
