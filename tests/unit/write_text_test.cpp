#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/host_command.h"

namespace {

// The client's buffer, with canary bytes after it to catch any write past 900 bytes.
struct ClientBuffer {
    char data[zel::kDataCapacity];
    char guard[64];
};

TEST(WriteText, StopsAtFirstZeroByteAndWritesNothingAfterIt) {
    ClientBuffer buffer;
    std::memset(&buffer, 'x', sizeof buffer);
    const char text[] = {'a', 'b', '\0', 'c', 'd'};
    zel::WriteText(buffer.data, text, sizeof text);
    EXPECT_STREQ(buffer.data, "ab");
    EXPECT_EQ(buffer.data[3], 'x');
}

TEST(WriteText, CutsLongAnswersToTheClientBuffer) {
    struct Case {
        std::size_t length;
        std::size_t expected;
    } cases[] = {{0, 0}, {1, 1}, {898, 898}, {899, 899}, {900, 899}, {100000, 899}};
    for (const Case& c : cases) {
        ClientBuffer buffer;
        std::memset(&buffer, 'x', sizeof buffer);
        const std::string text(c.length, 'p');
        zel::WriteText(buffer.data, text.data(), text.size());
        EXPECT_EQ(std::strlen(buffer.data), c.expected) << "length " << c.length;
        for (char guard : buffer.guard) ASSERT_EQ(guard, 'x') << "overrun at length " << c.length;
    }
}

TEST(WriteText, ZeroTerminatedOverloadCutsToo) {
    ClientBuffer buffer;
    std::memset(&buffer, 'x', sizeof buffer);
    const std::string text(5000, 'q');
    zel::WriteText(buffer.data, text.c_str());
    EXPECT_EQ(std::strlen(buffer.data), zel::kMaxAnswer);
    EXPECT_EQ(buffer.guard[0], 'x');
}

}  // namespace
