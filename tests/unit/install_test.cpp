#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exports.h"
#include "install/install_dir.h"
#include "platform/platform.h"
#include "sim_fixture.h"

namespace {

using zel::testing::Call;

constexpr std::uint32_t kString = 1;  // REG_SZ
constexpr std::uint32_t kExpandString = 2;
constexpr std::uint32_t kDword = 4;

std::string Directory(std::string value) {
    const std::size_t length = zel::DirectoryFromUninstallString(value.data(), value.size());
    return value.substr(0, length);
}

TEST(DirectoryFromUninstallString, KeepsTheUpperCasedDirectory) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"C:\\Program Files\\Winamp\\uninstall.exe\"", "C:\\PROGRAM FILES\\WINAMP\\"},
        {"C:\\Winamp\\uninstall.exe", "C:\\WINAMP\\"},
        {"c:\\program files\\winamp\\uninstall.exe /S", "C:\\PROGRAM FILES\\WINAMP\\"},
        {"c:\\winamp\\uninstall.exe /log=c:\\temp\\x.log", "C:\\WINAMP\\UNINSTALL.EXE /LOG=C:\\TEMP\\"},
        {"\"\\\\server\\share\\wa\\u.exe\"", "\\\\SERVER\\SHARE\\WA\\"},
        {"D:\\Müsik\\wa\\u.exe", "D:\\M\xC3\xBCSIK\\WA\\"},  // only a-z change case
        {"uninstall.exe", ""},
        {"\"uninstall.exe\"", ""},
        {"\"", ""},
        {"", ""},
        {"C:\\", "C:\\"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(Directory(value), expected) << value;
}

class InstallDir : public zel::testing::SimTest {
protected:
    static void SetValue(std::uint32_t type, const std::string& bytes) {
        zel::sim::SetRegistryValue(zel::kUninstallKey, zel::kUninstallValue, type, bytes);
    }
    static std::string Lookup(std::size_t capacity = 260, std::size_t* full = nullptr) {
        std::string out(capacity, '\x7f');
        const std::size_t length = zel::PlayerInstallDir(out.data(), capacity);
        if (full != nullptr) *full = length;
        return out.c_str();
    }
};

TEST_F(InstallDir, ReadsTheUninstallEntry) {
    struct Case {
        std::uint32_t type;
        std::string bytes;
        const char* expected;
    } cases[] = {
        {kString, std::string("\"C:\\Program Files\\Winamp\\uninstall.exe\"\0", 40), "C:\\PROGRAM FILES\\WINAMP\\"},
        {kString, "C:\\Winamp\\uninstall.exe", "C:\\WINAMP\\"},  // no terminating zero stored
        {kString, std::string("C:\\A\\u.exe\0D:\\B\\", 16), "C:\\A\\"},  // ends at its zero
        {kString, "", ""},
        {kString, std::string("\0", 1), ""},
        {kString, "uninstall.exe", ""},
        {kExpandString, "%ProgramFiles%\\Winamp\\u.exe", ""},
        {kDword, std::string("\x5c\x5c\x5c\x5c", 4), ""},
    };
    for (const Case& c : cases) {
        zel::sim::Reset();
        SetValue(c.type, c.bytes);
        EXPECT_EQ(Lookup(), c.expected) << c.bytes;
    }
}

TEST_F(InstallDir, MissingKeyOrValueGivesNoDirectory) {
    EXPECT_EQ(Lookup(), "");
    zel::sim::SetRegistryValue(zel::kUninstallKey, "DisplayName", kString, "Winamp");
    EXPECT_EQ(Lookup(), "");
}

TEST_F(InstallDir, AsksForReadAccessOnlyInThe32BitViewFirst) {
    constexpr std::uint32_t kRead = zel::platform::kKeyQueryValue;
    constexpr std::uint32_t kRead32 = kRead | zel::platform::kKeyView32;
    const struct {
        const char* what;
        const char* in32;   // the value in the 32-bit view alone, if any
        const char* inOwn;  // the value in both views, if any
        const char* expected;
        std::vector<std::uint32_t> rights;
    } cases[] = {
        {"a 32-bit installer's entry, out of a 64-bit process's own view", "C:\\A\\u.exe", nullptr,
         "C:\\A\\", {kRead32}},
        {"an entry both views see", nullptr, "C:\\B\\u.exe", "C:\\B\\", {kRead32}},
        {"an unusable 32-bit entry, a usable one in the own view", "u.exe", "C:\\B\\u.exe",
         "C:\\B\\", {kRead32, kRead}},
        {"none", nullptr, nullptr, "", {kRead32, kRead}},
    };
    for (const auto& c : cases) {
        zel::sim::Reset();
        if (c.in32 != nullptr) {
            zel::sim::SetRegistryValue(zel::kUninstallKey, zel::kUninstallValue, kString, c.in32, true);
        }
        if (c.inOwn != nullptr) SetValue(kString, c.inOwn);
        EXPECT_EQ(Lookup(), c.expected) << c.what;
        EXPECT_EQ(zel::sim::KeyOpenRights(), c.rights) << c.what;
    }
}

TEST_F(InstallDir, AValueOfAnyLengthIsReadWhole) {
    const std::string dir = "C:\\" + std::string(70000, 'W') + "\\";
    SetValue(kString, dir + "uninstall.exe");
    std::size_t full = 0;
    const std::string kept = Lookup(260, &full);
    EXPECT_EQ(full, dir.size());
    EXPECT_EQ(kept, dir.substr(0, 259));
}

class StartCommand : public InstallDir {};

TEST_F(StartCommand, StartsThePlayerThroughItsQuotedFullPath) {
    SetValue(kString, "\"C:\\Program Files\\Winamp\\uninstall.exe\"");
    int result = 0;
    EXPECT_EQ(Call(zel_winamp_start, "abc", &result), "abc");
    EXPECT_EQ(result, 3);
    ASSERT_EQ(zel::sim::StartedProcesses().size(), 1u);
    EXPECT_EQ(zel::sim::StartedProcesses()[0].applicationName,
              "C:\\PROGRAM FILES\\WINAMP\\winamp.exe");
    EXPECT_EQ(zel::sim::StartedProcesses()[0].commandLine,
              "\"C:\\PROGRAM FILES\\WINAMP\\winamp.exe\"");
}

TEST_F(StartCommand, StartsNothingWithoutAUsableDirectory) {
    const std::pair<std::uint32_t, std::string> cases[] = {
        {kString, ""}, {kString, "winamp"}, {kDword, "1234"},
        {kString, "C:\\" + std::string(300, 'L') + "\\u.exe"},  // too long for a path
    };
    for (const auto& [type, bytes] : cases) {
        zel::sim::Reset();
        SetValue(type, bytes);
        EXPECT_EQ(Call(zel_winamp_start), "abc");
        EXPECT_TRUE(zel::sim::StartedProcesses().empty()) << bytes;
    }
    zel::sim::Reset();
    EXPECT_EQ(Call(zel_winamp_start), "abc");  // no key at all
    EXPECT_TRUE(zel::sim::StartedProcesses().empty());
}

TEST_F(StartCommand, TheLongestDirectoryThatStillFitsStarts) {
    // 249 bytes of directory + "winamp.exe" = 259 characters, the longest path there is.
    const std::string dir = "C:\\" + std::string(245, 'D') + "\\";
    ASSERT_EQ(dir.size(), 249u);
    SetValue(kString, dir + "u.exe");
    Call(zel_winamp_start);
    ASSERT_EQ(zel::sim::StartedProcesses().size(), 1u);
    EXPECT_EQ(zel::sim::StartedProcesses()[0].applicationName, dir + "winamp.exe");

    zel::sim::Reset();
    SetValue(kString, "C:\\" + std::string(246, 'D') + "\\u.exe");
    Call(zel_winamp_start);
    EXPECT_TRUE(zel::sim::StartedProcesses().empty());
}

}  // namespace
