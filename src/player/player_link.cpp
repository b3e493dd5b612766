#include "player/player_link.h"

namespace zel {
namespace {
constexpr std::uint32_t kMessageUser = 0x0400;     // WM_USER
constexpr std::uint32_t kMessageCommand = 0x0111;  // WM_COMMAND
constexpr std::uint32_t kMessageCopyData = 0x004A; // WM_COPYDATA

// COPYDATASTRUCT: the system copies the bytes into the receiving process.
struct CopyData {
    std::uintptr_t kind;
    std::uint32_t size;
    const void* data;
};
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

std::int32_t SendPlayerCopyData(std::uintptr_t kind, const void* data, std::uint32_t size) {
    const CopyData copy = {kind, size, data};
    return platform::SendWindowMessage(FindPlayerWindow(), kMessageCopyData, 0,
                                       reinterpret_cast<std::intptr_t>(&copy));
}

void FlushPlaylist() {
    SendPlayerRequest(kRequestWritePlaylist, 0);
}

}  // namespace zel
