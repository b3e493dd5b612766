// A player that is slow, hung or busy in a dialog never holds a call for long: each call
// waits for the player a second at most in all, then answers as without a player. A
// watchdog ends this program if a call ever blocks, so a regression fails the suite
// instead of hanging it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "dllcall/export_names.h"
#include "harness.h"

namespace wine_test {
namespace {

constexpr DWORD kWatchdogMs = 10000;
// Far above the one-second bound, so that a loaded machine does not fail the test; bench
// measures the real figures.
constexpr double kSlowCallSeconds = 4.0;

DWORD WINAPI watch(void* event) {
    if (WaitForSingleObject(event, kWatchdogMs) == WAIT_TIMEOUT) {
        std::fprintf(stderr, "watchdog: a call blocked for %lu ms\n", kWatchdogMs);
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 99);
    }
    return 0;
}

struct TimedCall {
    ClientCall call;
    double seconds;
};

TimedCall timed_call(const std::string& name, const std::string& params = "abc") {
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE watchdog = CreateThread(nullptr, 0, watch, done, 0, nullptr);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    TimedCall result{call(name, params), 0};
    QueryPerformanceCounter(&end);
    SetEvent(done);
    WaitForSingleObject(watchdog, INFINITE);
    CloseHandle(watchdog);
    CloseHandle(done);
    result.seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    return result;
}

// Every command export but the launch, which sends the player nothing.
std::vector<std::string> player_exports() {
    std::vector<std::string> names;
    HMODULE module = LoadLibraryA(dll_path().c_str());
    if (module == nullptr) return names;
    for (const std::string& name : zel::tools::ExportNames(module)) {
        if (name != "LoadDll" && name != "zel_winamp_start") names.push_back(name);
    }
    FreeLibrary(module);
    return names;
}

// Polls the player's log for `line`, up to `timeout_ms` (0: looks once).
bool log_shows(const Player& player, const std::string& line, DWORD timeout_ms = 0) {
    for (const DWORD start = GetTickCount();; Sleep(50)) {
        const std::vector<std::string> log = read_log(player);
        if (std::find(log.begin(), log.end(), line) != log.end()) return true;
        if (GetTickCount() - start >= timeout_ms) return false;
    }
}

// Lets a hung or busy player catch up with what it was sent, then empties its log.
void settle(Player& player) {
    set_scenario(player, "");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(player.window, WM_USER, 0, 124, SMTO_NORMAL, 20000, &ignored);
    clear_log(player);
}

TEST(PlayerWait, AHungPlayerGetsEveryExportTheAnswerOfNoPlayer) {
    // The install directory's playlist names a tagged track, so that the answers without a
    // player say something.
    write_file(std::string(kInstallDir) + "winamp.m3u",
               "#EXTM3U\r\n" + std::string(kFixtureDir) + "one.mp3\r\n");
    const std::vector<std::string> names = player_exports();
    ASSERT_GT(names.size(), 50u);
    stop_shared_player();
    std::vector<std::string> without;
    for (const std::string& name : names) without.push_back(timed_call(name).call.answer);

    Player& player = shared_player();
    set_scenario(player, "hang=1\n");
    Sleep(300);  // the player checks its scenario ten times a second
    double longest = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        const TimedCall result = timed_call(names[i]);
        EXPECT_TRUE(result.call.ok()) << names[i] << ": " << result.call.error;
        EXPECT_EQ(result.call.result, 3) << names[i];
        // The caption is read without asking the player, so a hung one still has it.
        const std::string expected = names[i] == "zel_winamp_track_name" ? "Winamp 2.91" : without[i];
        EXPECT_EQ(result.call.answer, expected) << names[i];
        EXPECT_LT(result.seconds, kSlowCallSeconds) << names[i];
        longest = std::max(longest, result.seconds);
    }
    std::printf("longest call against a hung player: %.2f s\n", longest);
    settle(player);
}

TEST(PlayerWait, ADialogCommandReturnsWhileThePlayerCarriesItOut) {
    const struct {
        const char* name;
        int id;
        int dialog_ms;
    } kDialogs[] = {
        {"zel_winamp_open_file", 40029, 10000},   {"zel_winamp_open_url", 40155, 3000},
        {"zel_winamp_jump_to_time", 40193, 3000}, {"zel_winamp_jump_to_file", 40194, 3000},
        {"zel_winamp_open_skinselector", 40219, 3000},
    };
    Player& player = shared_player();
    for (const auto& d : kDialogs) {
        set_scenario(player, "dialog." + std::to_string(d.id) + "=" + std::to_string(d.dialog_ms) +
                                 "\nrequest.124.0=42\n");
        clear_log(player);
        const TimedCall result = timed_call(d.name);
        EXPECT_TRUE(result.call.untouched) << d.name;
        EXPECT_LT(result.seconds, kSlowCallSeconds) << d.name;
        std::printf("%s returned after %.2f s of a %d ms dialog\n", d.name, result.seconds,
                    d.dialog_ms);
        const std::string end = "END " + std::to_string(d.id);
        EXPECT_TRUE(log_shows(player, "CMD " + std::to_string(d.id))) << d.name << ": not delivered";
        // Messages sent while the dialog runs are answered from its loop.
        EXPECT_EQ(timed_call("zel_winamp_playlist_tracks").call.answer, "42") << d.name;
        EXPECT_FALSE(log_shows(player, end)) << d.name;
        EXPECT_TRUE(log_shows(player, end, d.dialog_ms + 10000)) << d.name << ": the dialog never ended";
    }
    settle(player);
}

TEST(PlayerWait, ASlowPlayerStillGetsEveryAnswerRight) {
    const std::string source = std::string(kWorkDir) + "slow.m3u";
    write_file(source, "#EXTM3U\r\nC:\\MP3\\a.mp3\r\n" + std::string(kFixtureDir) + "one.mp3\r\n");
    const std::string scenario = "delay_ms=50\nplaylist_source=" + source +
                                 "\nrequest.125.0=1\nrequest.105.1=3725\nrequest.124.0=2\n";
    const struct {
        const char* name;
        const char* answer;
    } kCases[] = {
        {"zel_winamp_track_length", "01:02:05"},
        {"zel_winamp_playlist_tracks", "2"},
        {"zel_winamp_playlist_pos", "2"},
        {"zel_winamp_track_file", "C:\\zelfix\\one.mp3"},
        {"zel_winamp_id3_artist", "Artist A"},
        {"zel_winamp_tag_title", "Song One"},
    };
    Player& player = shared_player();
    for (const auto& c : kCases) {
        set_scenario(player, scenario);
        const TimedCall result = timed_call(c.name);
        EXPECT_TRUE(result.call.ok()) << c.name << ": " << result.call.error;
        EXPECT_EQ(result.call.answer, c.answer) << c.name;
    }
    settle(player);
}

}  // namespace
}  // namespace wine_test
