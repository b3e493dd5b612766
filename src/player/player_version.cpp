// zel_winamp_player_version: the player's own version text where it has one, else its
// version number written the way the player writes it.
#include "player/player_version.h"

#include "host/host_command.h"
#include "player/player_link.h"
#include "player/player_text.h"
#include "text/answer_text.h"

namespace zel {
namespace {

constexpr std::int32_t kRequestVersion = 0;
constexpr std::int32_t kRequestVersionText = 1;  // the address of ANSI text; 1 where it lacks it

// The first hex digit, a dot, then the other three without leading zeros (at least one
// digit): 0x5066 is "5.66", 0x2080 "2.80", 0x5666 "5.666".
std::size_t FormatVersion(std::int32_t version, char* out) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    const auto v = static_cast<std::uint32_t>(version) & 0xFFFFu;
    std::size_t n = 0;
    out[n++] = kDigits[v >> 12];
    out[n++] = '.';
    int shift = 8;
    while (shift > 0 && ((v >> shift) & 0xF) == 0) shift -= 4;
    for (; shift >= 0; shift -= 4) out[n++] = kDigits[(v >> shift) & 0xF];
    out[n] = '\0';
    return n;
}

}  // namespace

std::int32_t PlayerVersion() {
    return SendPlayerRequest(kRequestVersion, 0);
}

std::int32_t AskFromVersion(std::int32_t version, std::int32_t code) {
    if (PlayerVersion() < version) return -1;
    const std::int32_t answer = SendPlayerRequest(code, 0);
    return PlayerWentSilent() ? -1 : answer;
}

}  // namespace zel

ZEL_HOST_COMMAND(zel_winamp_player_version) {
    using namespace zel;
    char text[kDataCapacity + 1];  // a byte more than an answer: the cut sees a longer text
    const std::ptrdiff_t length = AskPlayerText(kRequestVersionText, 0, text, sizeof text);
    if (length > 0) {
        const auto size = static_cast<std::size_t>(length);
        WriteAnsiAnswer(data, text, size < sizeof text ? size : sizeof text - 1);
        return kResultAnswer;
    }
    const std::int32_t version = PlayerVersion();
    if (version == 0 || PlayerWentSilent()) {
        WriteText(data, "n/a");
        return kResultAnswer;
    }
    char number[8];
    WriteText(data, number, FormatVersion(version, number));
    return kResultAnswer;
}
