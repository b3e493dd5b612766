#include "player/clock_text.h"

#include "host/host_command.h"

namespace zel {

std::size_t FormatDecimal(std::int32_t value, char* out, int minDigits) {
    // Work on the magnitude as unsigned so that the most negative value has one too.
    const bool negative = value < 0;
    std::uint32_t magnitude = negative ? 0u - static_cast<std::uint32_t>(value)
                                       : static_cast<std::uint32_t>(value);
    char digits[kDecimalCapacity];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (count < minDigits) digits[count++] = '0';

    std::size_t length = 0;
    if (negative) out[length++] = '-';
    while (count > 0) out[length++] = digits[--count];
    out[length] = '\0';
    return length;
}

std::size_t FormatClock(std::int32_t seconds, char* out) {
    const std::int32_t hours = seconds / 3600;
    const std::int32_t rest = seconds - hours * 3600;
    const std::int32_t minutes = rest / 60;
    const std::int32_t secs = rest - minutes * 60;

    std::size_t length = FormatDecimal(hours, out, 2);
    out[length++] = ':';
    length += FormatDecimal(minutes, out + length, 2);
    out[length++] = ':';
    length += FormatDecimal(secs, out + length, 2);
    return length;
}

void WriteDecimalAnswer(char* data, std::int32_t value) {
    char text[kDecimalCapacity];
    WriteText(data, text, FormatDecimal(value, text));
}

void WriteClockAnswer(char* data, std::int32_t seconds) {
    char text[kClockCapacity];
    WriteText(data, text, FormatClock(seconds, text));
}

}  // namespace zel
