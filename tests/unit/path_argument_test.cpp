// What a script may pass as a file or a stream, by its form alone; and the order in which
// queueing checks it: nothing is looked up without a player, a network path never, and a
// slow lookup is not the player's time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "exports.h"
#include "host/path_argument.h"
#include "platform/platform.h"
#include "sim_fixture.h"
#include "tag_test_support.h"

namespace {

using namespace zel;
using zel::testing::Call;

class PathArgumentTest : public zel::testing::SimTest {};

TEST_F(PathArgumentTest, OnlyHttpAddressesAndFullPathsThatReachNoDevicePass) {
    using K = PathKind;
    const std::string k259 = "C:\\" + std::string(256, 'a');
    const struct {
        std::string text;  // as mIRC 6 passes it, in code page 1252
        K kind;
        std::size_t maxLength = platform::kLongestFilePath;
    } kCases[] = {
        {"http://radio.example/live", K::Stream}, {"HTTPS://Radio.example", K::Stream},
        {"hTtP://x", K::Stream}, {"http:///x", K::OtherScheme}, {"http:\\\\x", K::OtherScheme},
        {"file:///C:/no/such.mp3", K::OtherScheme}, {"file://attacker.example/s/x.mp3", K::OtherScheme},
        {"smb://10.0.0.1/share/x.mp3", K::OtherScheme}, {"javascript://x", K::OtherScheme},
        {"ab://x", K::OtherScheme}, {"C://x.mp3", K::LocalFile},
        {"song.mp3", K::Relative}, {"C:song.mp3", K::Relative}, {"\\song.mp3", K::Relative},
        {"\\\\\\h\\s\\a.mp3", K::Relative}, {"C:\\a\tb.mp3", K::Relative},
        {"C:\\NUL", K::NoFile}, {"C:\\Music\\CON", K::NoFile}, {"C:\\Music\\COM1.mp3", K::NoFile},
        {"C:\\Music\\nul.mp3", K::NoFile}, {"C:\\Music\\prn .mp3", K::NoFile}, {"C:/x/Aux", K::NoFile},
        {"C:\\Music\\LPT0.txt", K::NoFile}, {"C:\\Music\\CONIN$", K::NoFile},
        {"C:\\Music\\conout$.x", K::NoFile}, {"C:\\Music\\COM\xb9.mp3", K::NoFile},
        {"C:\\Music\\COM10.mp3", K::LocalFile}, {"C:\\Music\\Con te partiro.mp3", K::LocalFile},
        {"C:\\NUL\\CONSOLE.mp3", K::LocalFile}, {"C:\\Music\\.mp3", K::LocalFile},
        {"C:\\Music\\", K::NoFile}, {"C:\\Music\\..", K::NoFile}, {"C:\\Music\\*.mp3", K::NoFile},
        {"C:\\Music\\a.mp3:hidden", K::NoFile}, {"C:\\Music\\a.mp3::$DATA", K::NoFile},
        {"\\\\.\\COM1", K::NoFile}, {"\\\\.\\C:\\a.mp3", K::NoFile}, {"//./pipe/x", K::NoFile},
        {"\\\\?\\GLOBALROOT\\Device\\Null", K::NoFile}, {"\\\\?\\Volume{1}\\a.mp3", K::NoFile},
        {"\\\\?", K::NoFile}, {"//?/C:/a.mp3", K::NoFile}, {"\\\\?\\C:\\Music/a.mp3", K::NoFile},
        {"\\\\?\\C:\\Music\\a.mp3", K::LocalFile}, {"\\\\?\\unc\\host\\s\\a.mp3", K::NetworkFile},
        {"\\\\10.255.255.1\\s\\a.mp3", K::NetworkFile}, {"//host/share/a.mp3", K::NetworkFile},
        {"\\\\host\\share", K::NoFile}, {"\\\\host\\share\\", K::NoFile}, {"\\\\host\\PIPE\\x", K::NoFile},
        {"\\\\host\\MailSlot\\x", K::NoFile}, {"\\\\host\\s\\nul", K::NoFile}, {"\\\\h:1\\s\\a", K::NoFile},
        {"C:\\" + std::string(897, 'a'), K::LocalFile},
        {k259, K::LocalFile, 259}, {k259 + "a", K::TooLong, 259},
        {"http://" + std::string(253, 'h'), K::TooLong, 259}, {"song" + std::string(300, 'a'), K::Relative, 259},
    };
    for (const auto& c : kCases) {
        char data[kDataCapacity] = {};
        std::memcpy(data, c.text.data(), std::min(c.text.size(), kDataCapacity));
        CallArgument argument;
        ReadCallArgument(data, argument);
        EXPECT_EQ(static_cast<int>(ClassifyPath(argument, c.maxLength)), static_cast<int>(c.kind))
            << c.text.substr(0, 40);
    }
    EXPECT_EQ(sim::FileSearches(), 0) << "a path was looked up by its form alone";
}

TEST_F(PathArgumentTest, QueueingLooksUpAFileOnlyForARunningPlayerAndNeverOverTheNetwork) {
    zel::testing::ScratchDir dir;
    ASSERT_TRUE(zel::testing::WriteFile(dir / "song.mp3", "x"));
    std::string song = "Z:" + (dir / "song.mp3");
    std::replace(song.begin(), song.end(), '/', '\\');
    const std::string kNetwork = "\\\\10.255.255.1\\s\\a.mp3";
    const struct {
        const char* what;
        std::string argument;
        bool player;
        std::uint32_t searchMs;  // each lookup's time
        std::string answer;
        int searches;
        std::vector<std::uint32_t> waits;
    } kCases[] = {
        {"network path, no player", kNetwork, false, 0, "ERR player not running", 0, {}},
        {"missing file, no player", "Z:\\no\\such.mp3", false, 0, "ERR player not running", 0, {}},
        {"network path", kNetwork, true, 0, "7", 0, {1000, 1000}},
        {"slow disk, prompt player", song, true, 1500, "7", 1, {1000, 1000}},
        {"slow disk, missing file", song + "x", true, 1500, "ERR no such file", 1, {}},
    };
    for (const auto& c : kCases) {
        sim::Reset();
        if (c.player) sim::AddWindow(kPlayerWindowClass, "", [](std::int32_t, std::int32_t) { return 7; });
        sim::SetFileSearchTime(c.searchMs);
        EXPECT_EQ(Call(zel_winamp_enqueue, c.argument.c_str()), c.answer) << c.what;
        EXPECT_EQ(sim::FileSearches(), c.searches) << c.what;
        EXPECT_EQ(sim::SendWaits(), c.waits) << c.what;
        EXPECT_EQ(sim::CopyDataPayloads().size(), c.waits.empty() ? 0u : 1u) << c.what;
    }
}

}  // namespace
