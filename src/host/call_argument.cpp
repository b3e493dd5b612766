#include "host/call_argument.h"

#include "host/client_version.h"
#include "platform/platform.h"
#include "text/utf8.h"

namespace zel {
namespace {

constexpr std::int32_t kMaxInt32 = 2147483647;
// The longest time that fits 32 bits signed in milliseconds.
constexpr std::int32_t kMaxClockSeconds = kMaxInt32 / 1000;

bool IsBlank(char16_t c) { return c <= u' '; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// Digits from text[*at] on, at least one and at most maxDigits (0: any number), into a
// value no greater than limit. Moves *at past them.
bool ReadDigits(const char16_t* text, std::size_t length, std::size_t* at, std::size_t maxDigits,
                std::int32_t limit, std::int32_t* value) {
    const std::size_t start = *at;
    std::int64_t v = 0;
    while (*at < length && IsDigit(text[*at])) {
        v = v * 10 + (text[*at] - u'0');
        if (v > limit) return false;  // also stops a long run of digits early
        ++*at;
        if (maxDigits != 0 && *at - start > maxDigits) return false;
    }
    if (*at == start) return false;
    *value = static_cast<std::int32_t>(v);
    return true;
}

// The sign in front of an amount or a time.
std::size_t ReadSign(const CallArgument& argument, Change* change) {
    *change = Change::Set;
    if (argument.length == 0) return 0;
    if (argument.text[0] == u'+') *change = Change::Add;
    if (argument.text[0] == u'-') *change = Change::Subtract;
    return *change == Change::Set ? 0 : 1;
}

bool Equals(const CallArgument& argument, const char* word) {
    std::size_t i = 0;
    for (; word[i] != '\0'; ++i) {
        if (i >= argument.length || Lower(argument.text[i]) != static_cast<char16_t>(word[i])) {
            return false;
        }
    }
    return i == argument.length;
}

}  // namespace

void ReadCallArgument(const char* data, CallArgument& argument) {
    argument.length = 0;
    argument.text[0] = 0;
    std::size_t size = 0;
    while (size < kDataCapacity && data[size] != '\0') ++size;
    std::ptrdiff_t units = 0;
    if (size != 0) {
        if (ClientReadsUtf8()) {
            units = DecodeUtf8(data, size, argument.text, kDataCapacity);
        } else {
            units = platform::AnsiToWide(data, static_cast<int>(size), argument.text,
                                         static_cast<int>(kDataCapacity));
            if (units == 0) units = -1;
        }
    }
    argument.decoded = units >= 0;
    if (!argument.decoded) return;
    std::size_t end = static_cast<std::size_t>(units);
    std::size_t start = 0;
    while (start < end && IsBlank(argument.text[start])) ++start;
    while (end > start && IsBlank(argument.text[end - 1])) --end;
    for (std::size_t i = start; i < end; ++i) argument.text[i - start] = argument.text[i];
    argument.length = end - start;
    argument.text[argument.length] = 0;
}

bool IsEmptyArgument(const CallArgument& argument) {
    return argument.decoded && argument.length == 0;
}

bool ParseWholeNumber(const CallArgument& argument, std::int32_t* value) {
    std::size_t at = 0;
    return argument.decoded &&
           ReadDigits(argument.text, argument.length, &at, 0, kMaxInt32, value) &&
           at == argument.length;
}

bool ParseAmount(const CallArgument& argument, Change* change, std::int32_t* amount) {
    if (!argument.decoded) return false;
    std::size_t at = ReadSign(argument, change);
    return ReadDigits(argument.text, argument.length, &at, 0, kMaxInt32, amount) &&
           at == argument.length;
}

bool ParseClockTime(const CallArgument& argument, Change* change, std::int32_t* seconds) {
    if (!argument.decoded) return false;
    const char16_t* text = argument.text;
    std::size_t at = ReadSign(argument, change);
    std::int32_t total = 0;
    if (!ReadDigits(text, argument.length, &at, 0, kMaxClockSeconds, &total)) return false;
    // Up to two more fields, minutes and seconds, each of two digits below 60.
    for (int field = 0; field < 2 && at < argument.length && text[at] == u':'; ++field) {
        ++at;
        const std::size_t start = at;
        std::int32_t part = 0;
        if (!ReadDigits(text, argument.length, &at, 2, 59, &part) || at - start != 2) return false;
        if (total > (kMaxClockSeconds - part) / 60) return false;
        total = total * 60 + part;
    }
    *seconds = total;
    return at == argument.length;
}

bool ParseSwitch(const CallArgument& argument, bool* on) {
    if (!argument.decoded) return false;
    if (Equals(argument, "on") || Equals(argument, "1")) {
        *on = true;
        return true;
    }
    if (Equals(argument, "off") || Equals(argument, "0")) {
        *on = false;
        return true;
    }
    return false;
}

int AnswerError(char* data, const char* reason) {
    char text[kDataCapacity];
    std::size_t n = 0;
    for (const char* c = "ERR "; *c != '\0'; ++c) text[n++] = *c;
    for (std::size_t i = 0; reason[i] != '\0' && n < kMaxAnswer; ++i) text[n++] = reason[i];
    WriteText(data, text, n);
    return kResultAnswer;
}

}  // namespace zel
