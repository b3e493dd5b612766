// What a script may pass as a file or a stream, by its form; and queueing, which looks up
// nothing without a player, a network path never, and does not count a slow lookup as waiting.
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

// Each text as mIRC 6 passes it (code page 1252), by the kind its form makes it; the
// schemes and devices of the Wine table (controls_test.cpp) are not repeated here.
TEST_F(PathArgumentTest, OnlyHttpAddressesAndFullPathsThatReachNoDevicePass) {
    using K = PathKind;
    const std::string k259 = "C:\\" + std::string(256, 'a');
    const struct { K kind; std::vector<std::string> texts; std::size_t maxLength = platform::kLongestFilePath; } kGroups[] = {
        {K::Stream, {"hTtP://x"}},
        {K::OtherScheme, {"http:///x", "http:\\\\x", "mailto:x"}},
        {K::Relative, {"C:song.mp3", "\\song.mp3", "\\\\\\h\\s\\a.mp3", "C:\\a\tb.mp3"}},
        {K::LocalFile, {"C://x.mp3", "C:\\M\\COM10.mp3", "C:\\M\\Con te partiro.mp3", "C:\\NUL\\CONSOLE.mp3",
                        "C:\\M\\.mp3", "\\\\?\\C:\\M\\a.mp3", "C:\\" + std::string(897, 'a')}},
        {K::NetworkFile, {"\\\\?\\unc\\host\\s\\a.mp3", "//host/share/a.mp3"}},
        {K::NoFile, {"C:/x/Aux", "C:\\M\\LPT0.txt", "C:\\M\\conout$.x", "C:\\M\\COM\xb9.mp3", "C:\\M\\..",
                     "\\\\.\\C:\\a.mp3", "//./pipe/x", "\\\\?\\Volume{1}\\a.mp3", "\\\\?", "//?/C:/a.mp3",
                     "\\\\?\\C:\\M/a.mp3", "\\\\host\\share", "\\\\host\\share\\", "\\\\host\\MailSlot\\x",
                     "\\\\host\\s\\nul", "\\\\h:1\\s\\a", "C:\\M\\a.mp3::$DATA"}},
        // Within the playlist editor's field of 259 characters.
        {K::LocalFile, {k259}, 259},
        {K::TooLong, {k259 + "a", "http://" + std::string(253, 'h')}, 259},
    };
    for (const auto& group : kGroups) {
        for (const std::string& text : group.texts) {
            char data[kDataCapacity] = {};
            std::memcpy(data, text.data(), std::min(text.size(), kDataCapacity));
            CallArgument argument;
            ReadCallArgument(data, argument);
            EXPECT_EQ(int(ClassifyPath(argument, group.maxLength)), int(group.kind)) << text.substr(0, 40);
        }
    }
    EXPECT_EQ(sim::FileSearches(), 0) << "a path was looked up by its form alone";
}

TEST_F(PathArgumentTest, QueueingLooksUpAFileOnlyForARunningPlayerAndNeverOverTheNetwork) {
    zel::testing::ScratchDir dir;
    ASSERT_TRUE(zel::testing::WriteFile(dir / "song.mp3", "x"));
    std::string song = "Z:" + (dir / "song.mp3");
    std::replace(song.begin(), song.end(), '/', '\\');
    const std::string kNetwork = "\\\\10.255.255.1\\s\\a.mp3";
    // The argument, whether a player runs, each lookup's time (a sleeping disk), the answer,
    // the lookups made and the waits the player was given.
    const struct { std::string argument; bool player; std::uint32_t searchMs; std::string answer; int searches;
                   std::vector<std::uint32_t> waits; } kCases[] = {
        {kNetwork, false, 0, "ERR player not running", 0, {}},
        {"Z:\\no\\such.mp3", false, 0, "ERR player not running", 0, {}},
        {kNetwork, true, 0, "7", 0, {1000, 1000}},
        {song, true, 1500, "7", 1, {1000, 1000}},
        {song + "x", true, 1500, "ERR no such file", 1, {}},
    };
    for (const auto& c : kCases) {
        sim::Reset();
        if (c.player) sim::AddWindow(kPlayerWindowClass, "", [](std::int32_t, std::int32_t) { return 7; });
        sim::SetFileSearchTime(c.searchMs);
        EXPECT_EQ(Call(zel_winamp_enqueue, c.argument.c_str()), c.answer) << c.argument;
        EXPECT_EQ(sim::FileSearches(), c.searches) << c.argument;
        EXPECT_EQ(sim::SendWaits(), c.waits) << c.argument;
        EXPECT_EQ(sim::CopyDataPayloads().size(), c.waits.empty() ? 0u : 1u) << c.argument;
    }
}

}  // namespace
