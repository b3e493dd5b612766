#include "platform/long_path.h"

namespace zel::platform {
namespace {

constexpr char16_t kDrivePrefix[] = u"\\\\?\\";
constexpr char16_t kNetworkPrefix[] = u"\\\\?\\UNC\\";

bool IsSeparator(char16_t c) { return c == u'\\'; }

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// "\\?\" or "\\.\": the system already takes it as it stands.
bool IsDeviceForm(const char16_t* path) {
    return IsSeparator(path[0]) && IsSeparator(path[1]) && (path[2] == u'?' || path[2] == u'.') &&
           IsSeparator(path[3]);
}

// Adds text after the n units out holds, leaving room for a zero; false when it does not fit.
bool Append(const char16_t* text, char16_t* out, std::size_t capacity, std::size_t& n) {
    for (; *text != 0; ++text) {
        if (n + 1 >= capacity) return false;
        out[n++] = *text;
    }
    return true;
}

}  // namespace

std::size_t ExtendedLengthPath(const char16_t* full, char16_t* out, std::size_t capacity) {
    const char16_t* prefix = nullptr;
    const char16_t* rest = full;
    if (IsDeviceForm(full)) {
        prefix = u"";
    } else if (IsSeparator(full[0]) && IsSeparator(full[1]) && full[2] != 0) {
        prefix = kNetworkPrefix;
        rest = full + 2;
    } else if (IsDriveLetter(full[0]) && full[1] == u':' && IsSeparator(full[2])) {
        prefix = kDrivePrefix;
    } else {
        return 0;
    }
    std::size_t n = 0;
    if (!Append(prefix, out, capacity, n) || !Append(rest, out, capacity, n)) return 0;
    out[n] = 0;
    return n;
}

}  // namespace zel::platform
