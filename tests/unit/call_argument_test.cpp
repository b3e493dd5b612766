// The script's argument: decoded strictly, trimmed, and parsed into exactly one kind of
// value or refused. The exports' use of it is tested under Wine (controls_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "exports.h"
#include "host/call_argument.h"
#include "sim_fixture.h"

namespace {

using namespace zel;

class CallArgumentTest : public zel::testing::SimTest {};

// Each text as a UTF-8 client passes it: what the clock parser makes of it (-1: refused),
// and whether it is text at all.
TEST_F(CallArgumentTest, DecodesStrictlyAndParsesOnlyWhatFitsExactly) {
    const struct {
        std::string bytes;
        bool decoded;
        std::int32_t seconds;
    } kCases[] = {
        {" 95\t", true, 95},          {"1:35", true, 95},           {"0:01:35", true, 95},
        {"+0:10", true, 10},          {"596:31:23", true, 2147483}, {"596:31:24", true, -1},
        {"2147484", true, -1},        {"1:75", true, -1},           {"1:5", true, -1},
        {"1:005", true, -1},          {"1:00:00:00", true, -1},     {"1:", true, -1},
        {":30", true, -1},            {"1e3", true, -1},            {"0x10", true, -1},
        {"--1", true, -1},            {"", true, -1},               {std::string(500, '9'), true, -1},
        {"\xef\xbc\x95", true, -1},   // a full-width digit
        {"\xc3", false, -1},          // cut short
        {"\xc0\xb5", false, -1},      // an overlong "5"
        {"\xed\xa0\x80", false, -1},  // a surrogate
        {"\xf4\x90\x80\x80", false, -1},  // past U+10FFFF
        {"\x80", false, -1},
        {std::string(kDataCapacity, '5'), true, -1},  // no zero within the buffer
    };
    zel::testing::LoadAsClient(zel::testing::kClientVersion7);
    for (const auto& c : kCases) {
        char data[kDataCapacity] = {};
        std::memcpy(data, c.bytes.data(), std::min(c.bytes.size(), kDataCapacity));
        CallArgument argument;
        ReadCallArgument(data, argument);
        Change change = Change::Set;
        std::int32_t seconds = -1;
        const bool parsed = ParseClockTime(argument, &change, &seconds);
        EXPECT_EQ(argument.decoded, c.decoded) << c.bytes.substr(0, 20);
        EXPECT_EQ(parsed ? seconds : -1, c.seconds) << c.bytes.substr(0, 20);
    }
    // mIRC 6 passes the code page's bytes (1252 here), where 0xDC is "Ü", never an error.
    zel::testing::LoadAsClient(zel::testing::kClientVersion6);
    char data[kDataCapacity] = " C:\\\xdc ";
    CallArgument argument;
    ReadCallArgument(data, argument);
    EXPECT_EQ(std::u16string(argument.text, argument.length), u"C:\\\u00dc");
}

}  // namespace
