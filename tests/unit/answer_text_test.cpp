// Answer text in the client's encoding: UTF-8 for clients from 7.0 on, the ANSI code page
// (simulated: 1252) for older ones, and the cut at 899 bytes on a whole character.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "exports.h"
#include "host/client_version.h"
#include "platform/sim.h"
#include "sim_fixture.h"
#include "text/answer_text.h"
#include "utf8_check.h"

namespace {

using namespace std::string_literals;
namespace sim = zel::sim;

using zel::testing::kClientVersion6;
using zel::testing::kClientVersion7;
constexpr auto LoadAs = zel::testing::LoadAsClient;

// Calls `write` on a 900-byte buffer and checks that nothing past the answer's zero moved.
template <typename Write>
std::string Answer(Write write) {
    char data[zel::kDataCapacity];
    std::memset(data, 0x5A, sizeof data);
    write(data);
    const std::size_t length = strnlen(data, sizeof data);
    EXPECT_LT(length, sizeof data) << "no terminating zero";
    for (std::size_t i = length + 1; i < sizeof data; ++i) {
        if (data[i] != 0x5A) {
            ADD_FAILURE() << "byte " << i << " after the answer was written";
            break;
        }
    }
    return std::string(data, length);
}

bool IsValidUtf8(const std::string& s) {
    return zel::testing::Utf8Characters(s.data(), s.size()) >= 0;
}

class AnswerText : public zel::testing::SimTest {};

TEST_F(AnswerText, TheClientsVersionChoosesTheEncoding) {
    const struct {
        const char* what;
        bool load;
        std::uint32_t version;
        bool utf8;
    } cases[] = {
        {"no LoadDll at all", false, 0, false},
        {"5.91", true, (91u << 16) | 5u, false},
        {"6.35", true, kClientVersion6, false},
        {"7.0", true, 7u, true},
        {"7.69", true, kClientVersion7, true},
        {"8.1", true, (1u << 16) | 8u, true},
        {"minor 7 of major 6 is still 6", true, (7u << 16) | 6u, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        zel::RememberClientVersion(0);
        if (c.load) LoadAs(c.version);
        EXPECT_EQ(zel::ClientReadsUtf8(), c.utf8);
        EXPECT_EQ(Answer([](char* d) { zel::WriteAnsiAnswer(d, "Beyonc\xe9", 7); }),
                  c.utf8 ? "Beyonc\xc3\xa9"s : "Beyonc\xe9"s);
    }
}

TEST_F(AnswerText, CutsAt899BytesOnAWholeCharacter) {
    const std::string a898(898, 'a');
    const std::string a897(897, 'a');
    const struct {
        const char* what;
        std::string ansi;
        std::string utf8;    // the answer to a 7.x client
        std::string as_is;   // the answer to a 6.x client
        // Code page 932's lead bytes (0x82 leads, 0xB1 is one); conversions stay 1252's.
        bool doubleByte = false;
    } cases[] = {
        {"the cut would split a two-byte character", a898 + "\xe9", a898, a898 + "\xe9"},
        {"exactly the longest answer", a897 + "\xe9", a897 + "\xc3\xa9", a897 + "\xe9"},
        {"a three-byte character at the end", a897 + "\x80", a897, a897 + "\x80"},
        {"ASCII of the longest length", std::string(899, 'x'), std::string(899, 'x'),
         std::string(899, 'x')},
        {"ASCII longer than an answer", std::string(2000, 'y'), std::string(899, 'y'),
         std::string(899, 'y')},
        {"the answer stops at an inner zero", "ab\0\xe9"s, "ab", "ab"},
        {"932: the cut would split a character", a898 + "\x82\xa0", a898, a898, true},
        {"932: a character that ends at the cut", a897 + "\x82\xa0" "b", a897, a897 + "\x82\xa0", true},
        {"932: a one-byte character at the cut", a898 + "\xb1\x82", a898, a898 + "\xb1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::SetDoubleByteCodePage(c.doubleByte);
        LoadAs(kClientVersion7);
        const std::string utf8 =
            Answer([&](char* d) { zel::WriteAnsiAnswer(d, c.ansi.data(), c.ansi.size()); });
        EXPECT_EQ(utf8, c.utf8);
        EXPECT_TRUE(IsValidUtf8(utf8));
        LoadAs(kClientVersion6);
        EXPECT_EQ(Answer([&](char* d) { zel::WriteAnsiAnswer(d, c.ansi.data(), c.ansi.size()); }),
                  c.as_is);
    }
}

TEST_F(AnswerText, UnicodeTextIsAnsweredInEitherEncoding) {
    const std::u16string surrogate = u"\U0001D11E";  // one character, two UTF-16 units
    const struct {
        const char* what;
        std::u16string wide;
        std::string utf8;
        std::string ansi;
    } cases[] = {
        {"Latin", u"Beyonc\u00e9 \u00f6", "Beyonc\xc3\xa9 \xc3\xb6", "Beyonc\xe9 \xf6"},
        {"Japanese: the code page lacks it", u"\u65e5\u672c", "\xe6\x97\xa5\xe6\x9c\xac", "??"},
        {"a surrogate pair is one character", u"x" + surrogate, "x\xf0\x9d\x84\x9e", "x?"},
        {"a lone surrogate", u"x\xd800y", "x\xef\xbf\xbdy", "x?y"},
        {"1252's own punctuation", u"\u20ac\u2019", "\xe2\x82\xac\xe2\x80\x99", "\x80\x92"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoadAs(kClientVersion7);
        EXPECT_EQ(Answer([&](char* d) { zel::WriteWideAnswer(d, c.wide.data(), c.wide.size()); }),
                  c.utf8);
        EXPECT_EQ(Answer([&](char* d) { zel::WriteUtf8Answer(d, c.utf8.data(), c.utf8.size()); }),
                  c.utf8);
        LoadAs(kClientVersion6);
        EXPECT_EQ(Answer([&](char* d) { zel::WriteWideAnswer(d, c.wide.data(), c.wide.size()); }),
                  c.ansi);
        EXPECT_EQ(Answer([&](char* d) { zel::WriteUtf8Answer(d, c.utf8.data(), c.utf8.size()); }),
                  c.ansi);
    }
}

TEST_F(AnswerText, LongUnicodeTextIsCutOnAWholeCharacterInBothEncodings) {
    // 898 letters and a character of three UTF-8 bytes (one byte in 1252): UTF-8 must
    // drop it, 1252 keeps it. 900 letters of "é": two bytes each in UTF-8.
    const std::string utf8 = std::string(898, 'a') + "\xe2\x82\xac";
    std::string e900;
    for (int i = 0; i < 900; ++i) e900 += "\xc3\xa9";
    LoadAs(kClientVersion7);
    EXPECT_EQ(Answer([&](char* d) { zel::WriteUtf8Answer(d, utf8.data(), utf8.size()); }),
              std::string(898, 'a'));
    const std::string cut = Answer([&](char* d) { zel::WriteUtf8Answer(d, e900.data(), e900.size()); });
    EXPECT_EQ(cut.size(), 898u);
    EXPECT_TRUE(IsValidUtf8(cut));
    LoadAs(kClientVersion6);
    EXPECT_EQ(Answer([&](char* d) { zel::WriteUtf8Answer(d, utf8.data(), utf8.size()); }),
              std::string(898, 'a') + "\x80");
    EXPECT_EQ(Answer([&](char* d) { zel::WriteUtf8Answer(d, e900.data(), e900.size()); }),
              std::string(899, '\xe9'));
}

TEST_F(AnswerText, EveryAnswerIsOneLineInEachEncodingAndEachClients) {
    const std::string y(950, 'y');
    const std::u16string wideY(950, u'y');
    const struct {
        const char* what;
        std::string ansi;
        std::u16string wide;
        std::string utf8;
        std::string answer;  // to either client, from any of the three
    } cases[] = {
        {"a line break", "Title\r\nQUIT :bye", u"Title\r\nQUIT :bye", "Title\r\nQUIT :bye", "Title QUIT :bye"},
        {"tab, escape, DEL, at the ends too", "\tA\x1b[1m\x7f" "B\n", u"\tA\x1b[1m\x7f" "B\n",
         "\tA\x1b[1m\x7f" "B\n", " A [1m B "},
        {"C1 controls (ANSI: C0)", "\x01\x02" "A\x1f", u"\u0080\u0085" "A\u009f", "\xc2\x80\xc2\x85" "A\xc2\x9f", " A "},
        {"runs count before the cut", "x" + std::string(1000, '\t') + y, u"x" + std::u16string(1000, u'\t') + wideY,
         "x" + std::string(1000, '\t') + y, "x " + y.substr(0, 897)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (std::uint32_t version : {kClientVersion6, kClientVersion7}) {
            LoadAs(version);
            EXPECT_EQ(Answer([&](char* d) { zel::WriteAnsiAnswer(d, c.ansi.data(), c.ansi.size()); }), c.answer);
            EXPECT_EQ(Answer([&](char* d) { zel::WriteWideAnswer(d, c.wide.data(), c.wide.size()); }), c.answer);
            EXPECT_EQ(Answer([&](char* d) { zel::WriteUtf8Answer(d, c.utf8.data(), c.utf8.size()); }), c.answer);
        }
    }
}

TEST_F(AnswerText, AFailedConversionAnswersTheBytesAsTheyAre) {
    sim::SetConversionsFail(true);
    LoadAs(kClientVersion7);
    EXPECT_EQ(Answer([](char* d) { zel::WriteAnsiAnswer(d, "Beyonc\xe9", 7); }), "Beyonc\xe9");
    LoadAs(kClientVersion6);
    EXPECT_EQ(Answer([](char* d) { zel::WriteUtf8Answer(d, "Beyonc\xc3\xa9", 8); }),
              "Beyonc\xc3\xa9");
    EXPECT_EQ(Answer([](char* d) { zel::WriteWideAnswer(d, u"Beyonc\u00e9", 7); }),
              "Beyonc\xc3\xa9");
}

TEST_F(AnswerText, TheCaptionIsReadWideForUtf8Clients) {
    const struct {
        const char* what;
        std::u16string caption;
        std::string utf8;
        std::string ansi;
    } cases[] = {
        {"1252 letters", u"3. Beyonc\u00e9 - Halo - Winamp", "3. Beyonc\xc3\xa9 - Halo ",
         "3. Beyonc\xe9 - Halo "},
        {"what the code page lacks", u"\u65e5\u672c - Winamp", "\xe6\x97\xa5\xe6\x9c\xac ", "?? "},
        {"the suffix rule holds in UTF-16", u"A - Winamp - Winamp", "A  - Winamp", "A  - Winamp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::RemoveAllWindows();
        sim::SetWideCaption(sim::AddWindow("Winamp v1.x"), c.caption);
        LoadAs(kClientVersion7);
        EXPECT_EQ(zel::testing::Call(zel_winamp_track_name), c.utf8);
        LoadAs(kClientVersion6);
        EXPECT_EQ(zel::testing::Call(zel_winamp_track_name), c.ansi);
    }
    // A caption that is only the player's name leaves the buffer as the client passed it.
    sim::RemoveAllWindows();
    sim::SetWideCaption(sim::AddWindow("Winamp v1.x"), u"- Winamp");
    LoadAs(kClientVersion7);
    EXPECT_EQ(zel::testing::Call(zel_winamp_track_name, "abc"), "abc");
}

}  // namespace
