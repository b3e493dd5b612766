// Whole numbers stored in tag structures, little- or big-endian, read from a byte array.
#pragma once

#include <cstdint>

namespace zel {

constexpr std::uint32_t ReadLe32(const unsigned char* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

constexpr std::uint32_t ReadBe16(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 8) | std::uint32_t{p[1]};
}

constexpr std::uint32_t ReadBe24(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | std::uint32_t{p[2]};
}

constexpr std::uint32_t ReadBe32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

constexpr std::uint64_t ReadBe64(const unsigned char* p) {
    return (std::uint64_t{ReadBe32(p)} << 32) | ReadBe32(p + 4);
}

// Four bytes equal to a four-character code such as "moov" (case matters).
constexpr bool IsFourCc(const unsigned char* p, const char (&code)[5]) {
    return p[0] == static_cast<unsigned char>(code[0]) && p[1] == static_cast<unsigned char>(code[1]) &&
           p[2] == static_cast<unsigned char>(code[2]) && p[3] == static_cast<unsigned char>(code[3]);
}

}  // namespace zel
