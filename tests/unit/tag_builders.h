// Tags built byte by byte for the tests of the tag readers and the tag queries.
#pragma once

#include <cstdint>
#include <string>

namespace zel::testing::tag_bytes {

using namespace std::string_literals;

inline std::string BigEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

inline std::string Syncsafe(std::uint32_t value) {
    std::string out;
    for (int i = 3; i >= 0; --i) out += static_cast<char>((value >> (7 * i)) & 0x7F);
    return out;
}

// One frame of a tag of the given major version; `format` is 2.3/2.4's second flag byte.
inline std::string Frame(int major, const std::string& id, const std::string& data, int format = 0) {
    const auto size = static_cast<std::uint32_t>(data.size());
    if (major == 2) return id + BigEndian(size, 3) + data;
    return id + (major == 3 ? BigEndian(size, 4) : Syncsafe(size)) + '\0' +
           static_cast<char>(format) + data;
}

inline std::string Id3v2Tag(int major, const std::string& body, int flags = 0) {
    return "ID3"s + static_cast<char>(major) + '\0' + static_cast<char>(flags) +
           Syncsafe(static_cast<std::uint32_t>(body.size())) + body;
}

}  // namespace zel::testing::tag_bytes
