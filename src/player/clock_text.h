#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

// Longest text of a signed 32-bit number: "-2147483648".
constexpr std::size_t kDecimalCapacity = 12;
// Longest clock text: "-596523:-14:-08".
constexpr std::size_t kClockCapacity = 3 * kDecimalCapacity;

// Writes value as signed decimal, at least minDigits digits zero-filled after the sign,
// and a terminating zero. Returns the length. out holds at least kDecimalCapacity bytes.
std::size_t FormatDecimal(std::int32_t value, char* out, int minDigits = 1);

// Seconds as hours:minutes:seconds, each at least two digits, truncating divisions, so
// negative times give zero or negative parts ("%.2d:%.2d:%.2d"). out holds at least
// kClockCapacity bytes. Returns the length.
std::size_t FormatClock(std::int32_t seconds, char* out);

// Answers value in signed decimal, and seconds as clock text.
void WriteDecimalAnswer(char* data, std::int32_t value);
void WriteClockAnswer(char* data, std::int32_t seconds);

}  // namespace zel
