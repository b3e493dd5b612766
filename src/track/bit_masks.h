// Bit arithmetic on the 64-bit masks the playlist scans build, one bit a byte of a 64-byte
// chunk. Written on 32-bit halves without the processor's popcnt instruction (older
// processors lack it), so that 32-bit builds need no helper from the compiler's library.
#pragma once

#include <cstdint>

#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace zel {

// Bits set in a mask.
inline unsigned BitCount(std::uint64_t bits) {
    bits -= (bits >> 1) & 0x5555555555555555u;
    bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
    bits = (bits + (bits >> 4)) & 0x0f0f0f0f0f0f0f0fu;
    // Each byte now holds at most 8; the two halves added hold at most 16 a byte.
    const std::uint32_t halves = static_cast<std::uint32_t>(bits) + static_cast<std::uint32_t>(bits >> 32);
    return (halves * 0x01010101u) >> 24;
}

// Index of the lowest set bit of a mask that is not zero.
inline unsigned LowestBit(std::uint64_t bits) {
    const auto low = static_cast<std::uint32_t>(bits);
    return low != 0 ? static_cast<unsigned>(__builtin_ctz(low))
                    : 32u + static_cast<unsigned>(__builtin_ctz(static_cast<std::uint32_t>(bits >> 32)));
}

// Index of the highest set bit of a mask that is not zero.
inline unsigned HighestBit(std::uint64_t bits) {
    const auto high = static_cast<std::uint32_t>(bits >> 32);
    return high != 0 ? 63u - static_cast<unsigned>(__builtin_clz(high))
                     : 31u - static_cast<unsigned>(__builtin_clz(static_cast<std::uint32_t>(bits)));
}

// The bits of a mask up to and including bit `index`.
inline std::uint64_t BitsUpTo(unsigned index) {
    return index >= 63 ? ~std::uint64_t{0} : (std::uint64_t{2} << index) - 1;
}

#if defined(__i386__) || defined(__x86_64__)
// One bit a byte for 64 bytes: the sign bits of four byte-wise compare results.
__attribute__((target("sse2"), always_inline))
inline std::uint64_t Mask64(__m128i a, __m128i b, __m128i c, __m128i d) {
    const std::uint32_t low = static_cast<std::uint32_t>(_mm_movemask_epi8(a)) |
                              static_cast<std::uint32_t>(_mm_movemask_epi8(b)) << 16;
    const std::uint32_t high = static_cast<std::uint32_t>(_mm_movemask_epi8(c)) |
                               static_cast<std::uint32_t>(_mm_movemask_epi8(d)) << 16;
    return static_cast<std::uint64_t>(high) << 32 | low;
}
#endif

}  // namespace zel
