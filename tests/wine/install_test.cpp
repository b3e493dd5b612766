// The player's install directory, taken from its uninstall entry in the registry, seen
// through the two exports that use it: zel_winamp_track_file reads <dir>winamp.m3u, and
// zel_winamp_start runs <dir>winamp.exe. An unusable entry gives an empty directory: the
// playlist is then looked up in the current directory and nothing is started.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

namespace wine_test {
namespace {

const std::string kCwd = std::string(kWorkDir) + "cwd\\";
const std::string kCwdMarker = "C:\\from-the-current-directory.mp3";
const std::string kLongName(150, 'u');

enum class Entry { String, ExpandString, Dword, EmptyString, NoValue, NoKey };

struct InstallCase {
    const char* what;
    Entry entry;
    std::string value;      // the stored value (for the string kinds)
    std::string directory;  // the directory the DLL must derive; empty: none
};

const InstallCase kCases[] = {
    {"quoted, with blanks", Entry::String, "\"C:\\zeltest\\Inst Q\\Winamp Dir\\uninst.exe\"",
     "C:\\ZELTEST\\INST Q\\WINAMP DIR\\"},
    {"unquoted", Entry::String, "C:\\zeltest\\plain\\uninstall.exe", "C:\\ZELTEST\\PLAIN\\"},
    {"lower case with an argument", Entry::String, "c:\\zeltest\\arg dir\\uninstall.exe /S",
     "C:\\ZELTEST\\ARG DIR\\"},
    {"argument holding a backslash", Entry::String, "c:\\zeltest\\argdir2\\uninst.exe -x=sub\\y",
     "C:\\ZELTEST\\ARGDIR2\\UNINST.EXE -X=SUB\\"},
    {"longer than a path buffer", Entry::String,
     "C:\\zeltest\\longvalue\\" + kLongName + kLongName + ".exe", "C:\\ZELTEST\\LONGVALUE\\"},
    {"no backslash", Entry::String, "uninstall.exe", ""},
    {"empty", Entry::EmptyString, "", ""},
    {"REG_EXPAND_SZ", Entry::ExpandString, "C:\\zeltest\\plain\\uninstall.exe", ""},
    {"REG_DWORD", Entry::Dword, "", ""},
    {"value missing", Entry::NoValue, "", ""},
    {"key missing", Entry::NoKey, "", ""},
};

void store(const InstallCase& c) {
    delete_uninstall_key();
    switch (c.entry) {
        case Entry::String:
            ASSERT_TRUE(set_uninstall_string(c.value)) << c.what;
            break;
        case Entry::ExpandString:
            ASSERT_TRUE(set_uninstall_raw(REG_EXPAND_SZ, c.value.c_str(),
                                          static_cast<DWORD>(c.value.size() + 1)))
                << c.what;
            break;
        case Entry::Dword: {
            const DWORD number = 0x5C5C5C5C;  // backslashes, should it be read as text
            ASSERT_TRUE(set_uninstall_raw(REG_DWORD, &number, sizeof number)) << c.what;
            break;
        }
        case Entry::EmptyString:
            ASSERT_TRUE(set_uninstall_raw(REG_SZ, "", 1)) << c.what;
            break;
        case Entry::NoValue:
            ASSERT_TRUE(set_uninstall_string("C:\\x\\y.exe")) << c.what;
            delete_uninstall_value();
            break;
        case Entry::NoKey:
            break;
    }
}

std::string marker_for(const InstallCase& c) {
    return c.directory.empty() ? kCwdMarker : c.directory + "marker.mp3";
}

class InstallDir : public ::testing::Test {
protected:
    void SetUp() override {
        char cwd[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, cwd);
        saved_cwd_ = cwd;
        ASSERT_TRUE(make_dirs(kCwd));
        ASSERT_TRUE(SetCurrentDirectoryA(kCwd.c_str()));
        // Every directory gets a playlist naming itself, so an answer shows which one was read.
        for (const auto& c : kCases) {
            if (c.directory.empty()) continue;
            ASSERT_TRUE(make_dirs(c.directory)) << c.directory;
            ASSERT_TRUE(write_file(c.directory + "winamp.m3u", "#EXTM3U\r\n" + marker_for(c) + "\r\n"));
        }
        ASSERT_TRUE(write_file(kCwd + "winamp.m3u", "#EXTM3U\r\n" + kCwdMarker + "\r\n"));
    }
    void TearDown() override {
        for (const auto& c : kCases) {
            if (!c.directory.empty()) remove_file(c.directory + "winamp.m3u");
        }
        remove_file(kCwd + "winamp.m3u");
        SetCurrentDirectoryA(saved_cwd_.c_str());
        set_default_uninstall_entry();
    }
    std::string saved_cwd_;
};

TEST_F(InstallDir, PlaylistIsReadFromTheDirectoryOfTheEntry) {
    for (const auto& c : kCases) {
        store(c);
        const PlayerCall result = call_with_player("zel_winamp_track_file", "request.125.0=0\n");
        EXPECT_TRUE(result.call.ok()) << c.what << ": " << result.call.error;
        EXPECT_EQ(result.call.result, 3) << c.what;
        EXPECT_EQ(result.call.answer, marker_for(c)) << c.what << ": value " << c.value;
        EXPECT_EQ(result.messages, playlist_file_lookup()) << c.what;
    }
}

// A probe copied to where a program would be started from, and its record of being run.
struct Probe {
    std::string exe;
    std::string record() const { return exe + ".ran"; }
};

Probe place_probe(const std::string& exe) {
    Probe probe{exe};
    remove_file(probe.record());
    EXPECT_TRUE(CopyFileA((bin_dir() + "launch_probe.exe").c_str(), exe.c_str(), FALSE))
        << "cannot place a probe at " << exe;
    return probe;
}

void remove_probe(const Probe& probe) {
    remove_file(probe.record());
    remove_file(probe.exe);
}

std::vector<std::string> record_lines(const Probe& probe) { return read_lines(probe.record()); }

struct LaunchCase {
    const char* what;
    std::string value;
    std::string directory;            // as the DLL derives it
    std::vector<std::string> traps;   // programs an unquoted command line would run instead
};

TEST_F(InstallDir, StartRunsWinampExeByItsFullQuotedPath) {
#if defined(_WIN64)
    // The entry stands in the 32-bit view alone, as the player's 32-bit installer leaves
    // it on 64-bit Windows: a 64-bit DLL must look there.
    HKEY own = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Winamp", 0,
                            KEY_READ | KEY_WOW64_64KEY, &own),
              ERROR_SUCCESS);
    if (own != nullptr) RegCloseKey(own);
#endif
    const LaunchCase kLaunches[] = {
        {"Program Files", "\"C:\\Program Files\\Winamp\\uninstwa.exe\"",
         "C:\\PROGRAM FILES\\WINAMP\\",
         {"C:\\PROGRAM.EXE", "C:\\PROGRAM FILES\\WINAMP.EXE"}},
        {"blanks in two names", "\"C:\\zeltest\\Inst Q\\Winamp Dir\\uninst.exe\"",
         "C:\\ZELTEST\\INST Q\\WINAMP DIR\\",
         {"C:\\ZELTEST\\INST.EXE", "C:\\ZELTEST\\INST Q\\WINAMP.EXE"}},
        {"unquoted", "C:\\zeltest\\plain\\uninstall.exe", "C:\\ZELTEST\\PLAIN\\", {}},
    };
    for (const auto& c : kLaunches) {
        ASSERT_TRUE(make_dirs(c.directory));
        ASSERT_TRUE(set_uninstall_string(c.value));
        const Probe player = place_probe(c.directory + "winamp.exe");
        std::vector<Probe> traps;
        for (const auto& trap : c.traps) traps.push_back(place_probe(trap));

        const ClientCall result = call("zel_winamp_start", "abc");
        EXPECT_TRUE(result.ok()) << c.what << ": " << result.error;
        EXPECT_EQ(result.result, 3) << c.what;
        EXPECT_TRUE(result.untouched) << c.what << " wrote \"" << result.answer << "\"";

        const bool ran = wait_for_file(player.record(), 10000);
        EXPECT_TRUE(ran) << c.what << ": winamp.exe was not started";
        if (ran) {
            Sleep(100);  // let the probe finish writing
            const std::vector<std::string> lines = record_lines(player);
            ASSERT_EQ(lines.size(), 2u) << c.what;
            EXPECT_EQ(lines[0], "\"" + c.directory + "winamp.exe\"") << c.what;
            EXPECT_EQ(lstrcmpiA(lines[1].c_str(), (c.directory + "winamp.exe").c_str()), 0)
                << c.what << ": started " << lines[1];
        }
        for (const auto& trap : traps) {
            EXPECT_FALSE(file_exists(trap.record())) << c.what << ": " << trap.exe << " ran";
            remove_probe(trap);
        }
        remove_probe(player);
    }
}

TEST_F(InstallDir, StartWithoutAUsableDirectoryStartsNothing) {
    const std::vector<Probe> probes = {place_probe(kCwd + "winamp.exe"),
                                       place_probe("C:\\winamp.exe")};
    for (const auto& c : kCases) {
        if (!c.directory.empty()) continue;
        store(c);
        const ClientCall result = call("zel_winamp_start", "abc");
        EXPECT_TRUE(result.ok()) << c.what << ": " << result.error;
        EXPECT_EQ(result.result, 3) << c.what;
        EXPECT_TRUE(result.untouched) << c.what;
    }
    Sleep(1500);  // a started probe writes its record within milliseconds
    for (const auto& probe : probes) {
        EXPECT_FALSE(file_exists(probe.record())) << probe.exe << " was started";
        remove_probe(probe);
    }
}

}  // namespace
}  // namespace wine_test
