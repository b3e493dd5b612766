#include "player/player_link.h"

#include "host/call_allowance.h"

namespace zel {
namespace {
constexpr std::uint32_t kMessageUser = 0x0400;     // WM_USER
constexpr std::uint32_t kMessageCommand = 0x0111;  // WM_COMMAND

// Sends one message through `send` with what is left of the call's allowance. A player
// that does not answer in time (or that the system counts as hung) ends the call's
// dealings with it.
template <typename Send>
std::int32_t SendWithinAllowance(platform::WindowHandle window, Send send) {
    const std::uint32_t left = CallAllowanceLeft();
    if (window == nullptr || left == 0) return 0;
    std::int32_t result = 0;
    BeginWait();
    const bool answered = send(window, left, &result);
    EndWait();
    if (!answered) {
        GiveUpWaiting();
        return 0;
    }
    return result;
}

std::int32_t SendPlayerMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    return SendPlayerWindowMessage(FindPlayerWindow(), message, wParam, lParam);
}

}  // namespace

std::int32_t SendPlayerWindowMessage(platform::WindowHandle window, std::uint32_t message,
                                     std::uintptr_t wParam, std::intptr_t lParam) {
    return SendWithinAllowance(window, [&](platform::WindowHandle target, std::uint32_t left,
                                           std::int32_t* result) {
        return platform::SendWindowMessageTimed(target, message, wParam, lParam, left, result);
    });
}

platform::WindowHandle FindPlayerWindow() {
    if (PlayerWentSilent()) return nullptr;
    return platform::FindWindowByClass(kPlayerWindowClass);
}

bool PlayerAnswering() {
    return FindPlayerWindow() != nullptr;
}

const char* PlayerUnreachable() {
    return "player not running";
}

bool PlayerWentSilent() {
    return CallAllowanceLeft() == 0;
}

std::int32_t SendPlayerRequest(std::int32_t code, std::int32_t argument) {
    // The argument travels in wParam as the same 32 bits the player reads back.
    const auto wParam = static_cast<std::uintptr_t>(static_cast<std::uint32_t>(argument));
    return SendPlayerMessage(kMessageUser, wParam, code);
}

void SendPlayerCommand(std::uint32_t id) {
    SendPlayerMessage(kMessageCommand, id, 0);
}

std::int32_t SendPlayerCopyData(std::uintptr_t kind, const void* bytes, std::uint32_t size) {
    return SendPlayerWindowCopyData(FindPlayerWindow(), kind, bytes, size);
}

std::int32_t SendPlayerWindowCopyData(platform::WindowHandle window, std::uintptr_t kind,
                                      const void* bytes, std::uint32_t size) {
    return SendWithinAllowance(window, [&](platform::WindowHandle target, std::uint32_t left,
                                           std::int32_t* result) {
        return platform::SendWindowCopyDataTimed(target, kind, bytes, size, left, result);
    });
}

void FlushPlaylist() {
    SendPlayerRequest(kRequestWritePlaylist, 0);
}

}  // namespace zel
