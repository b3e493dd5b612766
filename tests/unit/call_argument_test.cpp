// The script's argument: read bounded by the buffer, decoded strictly in the client's
// encoding, trimmed, and parsed into one kind of value or refused.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "exports.h"
#include "host/call_argument.h"
#include "sim_fixture.h"
#include "tag_test_support.h"

namespace {

using namespace zel;
using zel::testing::LoadAsClient;

class CallArgumentTest : public zel::testing::SimTest {};

// The argument as a client of the given version passes it, in a 900-byte buffer.
CallArgument Read(const std::string& bytes, std::uint32_t version = zel::testing::kClientVersion7) {
    LoadAsClient(version);
    char data[kDataCapacity] = {};
    std::memcpy(data, bytes.data(), bytes.size() < kDataCapacity ? bytes.size() : kDataCapacity);
    CallArgument argument;
    ReadCallArgument(data, argument);
    return argument;
}

enum Parse { Whole, Amount, Clock, Switch };

// What each parser makes of a text: refused (ok false), or its value and sign.
TEST_F(CallArgumentTest, ParsesOnlyWhatFitsExactly) {
    const struct {
        Parse parse;
        std::string text;
        bool ok;
        std::int32_t value;
        Change change;
    } kCases[] = {
        {Whole, "  5\t", true, 5, Change::Set},
        {Whole, "2147483647", true, 2147483647, Change::Set},
        {Whole, "2147483648", false, 0, Change::Set},
        {Whole, std::string(500, '9'), false, 0, Change::Set},
        {Whole, "5x", false, 0, Change::Set},
        {Whole, "-3", false, 0, Change::Set},
        {Whole, "+3", false, 0, Change::Set},
        {Whole, "1e3", false, 0, Change::Set},
        {Whole, "0x10", false, 0, Change::Set},
        {Whole, "1 2", false, 0, Change::Set},
        {Whole, "", false, 0, Change::Set},
        {Whole, "\xef\xbc\x95", false, 0, Change::Set},  // a full-width digit
        {Amount, "+10", true, 10, Change::Add},
        {Amount, "-10", true, 10, Change::Subtract},
        {Amount, "--1", false, 0, Change::Set},
        {Amount, "+", false, 0, Change::Set},
        {Clock, "95", true, 95, Change::Set},
        {Clock, "1:35", true, 95, Change::Set},
        {Clock, "0:01:35", true, 95, Change::Set},
        {Clock, "-0:10", true, 10, Change::Subtract},
        {Clock, "596:31:23", true, 2147483, Change::Set},
        {Clock, "596:31:24", false, 0, Change::Set},
        {Clock, "2147484", false, 0, Change::Set},
        {Clock, "1:75", false, 0, Change::Set},
        {Clock, "1:5", false, 0, Change::Set},
        {Clock, "1:005", false, 0, Change::Set},
        {Clock, "1:00:00:00", false, 0, Change::Set},
        {Clock, "1:", false, 0, Change::Set},
        {Clock, ":30", false, 0, Change::Set},
        {Switch, "ON", true, 1, Change::Set},
        {Switch, " off ", true, 0, Change::Set},
        {Switch, "1", true, 1, Change::Set},
        {Switch, "0", true, 0, Change::Set},
        {Switch, "yes", false, 0, Change::Set},
        {Switch, "onn", false, 0, Change::Set},
        {Switch, "o", false, 0, Change::Set},
    };
    for (const auto& c : kCases) {
        const CallArgument argument = Read(c.text);
        std::int32_t value = 0;
        Change change = Change::Set;
        bool on = false;
        bool ok = false;
        switch (c.parse) {
            case Whole: ok = ParseWholeNumber(argument, &value); break;
            case Amount: ok = ParseAmount(argument, &change, &value); break;
            case Clock: ok = ParseClockTime(argument, &change, &value); break;
            case Switch: ok = ParseSwitch(argument, &on), value = on; break;
        }
        const std::string what = "\"" + c.text.substr(0, 20) + "\" as parser " + std::to_string(c.parse);
        EXPECT_EQ(ok, c.ok) << what;
        if (ok && c.ok) {
            EXPECT_EQ(value, c.value) << what;
            EXPECT_EQ(change, c.change) << what;
        }
    }
}

// Decoding by client: UTF-8 strictly for today's clients, the code page for mIRC 6; bytes
// past the buffer's 900 never read, whatever the buffer holds.
TEST_F(CallArgumentTest, DecodesInTheClientsEncodingOrRefuses) {
    const struct {
        std::string bytes;
        std::uint32_t version;
        bool decoded;
        std::u16string text;
    } kCases[] = {
        {" C:\\\xc3\x9c.mp3 ", zel::testing::kClientVersion7, true, u"C:\\\u00dc.mp3"},
        {"\xf0\x9f\x8e\xb5", zel::testing::kClientVersion7, true, u"\U0001F3B5"},
        {"\xc3", zel::testing::kClientVersion7, false, u""},              // cut short
        {"\xc0\xaf", zel::testing::kClientVersion7, false, u""},          // overlong "/"
        {"\xed\xa0\x80", zel::testing::kClientVersion7, false, u""},      // a surrogate
        {"\xf4\x90\x80\x80", zel::testing::kClientVersion7, false, u""},  // past U+10FFFF
        {"\x80", zel::testing::kClientVersion7, false, u""},
        {std::string(kDataCapacity, 'a'), zel::testing::kClientVersion7, true,
         std::u16string(kDataCapacity, u'a')},  // no zero within the buffer
    };
    for (const auto& c : kCases) {
        const CallArgument argument = Read(c.bytes, c.version);
        EXPECT_EQ(argument.decoded, c.decoded) << c.bytes.substr(0, 20);
        EXPECT_EQ(std::u16string(argument.text, argument.length), c.text) << c.bytes.substr(0, 20);
    }
    // mIRC 6 passes the code page's bytes: 0xDC is "Ü" in 1252, and never invalid.
    const CallArgument ansi = Read("C:\\\xdc.mp3", zel::testing::kClientVersion6);
    EXPECT_EQ(std::u16string(ansi.text, ansi.length), u"C:\\\u00dc.mp3");
}

// Paths: full ones are looked up, URLs are not, everything else is refused.
TEST_F(CallArgumentTest, ClassifiesPaths) {
    zel::testing::ScratchDir dir;  // the simulated file calls take "C:\..." as a name here
    ASSERT_TRUE(zel::testing::WriteFile("C:\\song.mp3", "x"));
    const struct {
        std::string text;
        PathKind kind;
    } kCases[] = {
        {"C:\\song.mp3", PathKind::Local},
        {" C:\\song.mp3\t", PathKind::Local},
        {"C:\\missing.mp3", PathKind::Missing},
        {"C:\\song.mp?", PathKind::Missing},
        {"C:\\*", PathKind::Missing},
        {"\\\\server\\share\\song.mp3", PathKind::Missing},
        {"C:\\" + std::string(300, 'a'), PathKind::Missing},
        {"song.mp3", PathKind::Relative},
        {"C:song.mp3", PathKind::Relative},
        {"\\song.mp3", PathKind::Relative},
        {"..\\song.mp3", PathKind::Relative},
        {"", PathKind::Relative},
        {"C:\\song.mp3\nC:\\other.mp3", PathKind::Relative},
        {"http://radio.example/stream?x=1", PathKind::Url},
        {"c://song.mp3", PathKind::Missing},
        {"http://", PathKind::Relative},
        {"1http://x", PathKind::Relative},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(ClassifyPath(Read(c.text)), c.kind) << c.text.substr(0, 40);
    }
}

}  // namespace
