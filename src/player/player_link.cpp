#include "player/player_link.h"

namespace zel {
namespace {
constexpr std::uint32_t kMessageUser = 0x0400;     // WM_USER
constexpr std::uint32_t kMessageCommand = 0x0111;  // WM_COMMAND
}  // namespace

platform::WindowHandle FindPlayerWindow() {
    return platform::FindWindowByClass(kPlayerWindowClass);
}

std::int32_t SendPlayerRequest(std::int32_t code, std::int32_t argument) {
    // The argument travels in wParam as the same 32 bits the player reads back.
    const auto wParam = static_cast<std::uintptr_t>(static_cast<std::uint32_t>(argument));
    return platform::SendWindowMessage(FindPlayerWindow(), kMessageUser, wParam, code);
}

void SendPlayerCommand(std::uint32_t id) {
    platform::SendWindowMessage(FindPlayerWindow(), kMessageCommand, id, 0);
}

void FlushPlaylist() {
    SendPlayerRequest(kRequestWritePlaylist, 0);
}

}  // namespace zel
