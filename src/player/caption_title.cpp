#include "player/caption_title.h"

namespace zel {
namespace {
constexpr char kPlayerSuffix[] = "- Winamp";
constexpr std::size_t kPlayerSuffixLength = sizeof kPlayerSuffix - 1;

template <typename Char>
bool StartsWith(const Char* text, const char* prefix) {
    for (; *prefix != '\0'; ++text, ++prefix) {
        if (*text != static_cast<Char>(*prefix)) return false;
    }
    return true;
}

template <typename Char>
std::size_t RemovePlayerSuffix(Char* caption) {
    std::size_t length = 0;
    while (caption[length] != 0) ++length;

    for (std::size_t at = 0; at + kPlayerSuffixLength <= length; ++at) {
        if (StartsWith(caption + at, kPlayerSuffix)) {
            // Shift the rest, zero byte included, over the eight removed characters.
            for (std::size_t i = at; i + kPlayerSuffixLength <= length; ++i) {
                caption[i] = caption[i + kPlayerSuffixLength];
            }
            return length - kPlayerSuffixLength;
        }
    }
    return length;
}

}  // namespace

std::size_t CaptionTitle(char* caption) { return RemovePlayerSuffix(caption); }
std::size_t CaptionTitle(char16_t* caption) { return RemovePlayerSuffix(caption); }

}  // namespace zel
