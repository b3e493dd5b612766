#include "player/player_link.h"

#include "host/call_allowance.h"

namespace zel {
namespace {
constexpr std::uint32_t kMessageUser = 0x0400;     // WM_USER
constexpr std::uint32_t kMessageCommand = 0x0111;  // WM_COMMAND

// Sends one message through `send` with what is left of the call's allowance. A player
// that does not answer in time (or that the system counts as hung) ends the call's
// dealings with it. One that runs as administrator has its requests refused by the
// system, at once: the call goes on (its menu commands still pass) but learns nothing.
template <typename Send>
std::int32_t SendWithinAllowance(platform::WindowHandle window, Send send) {
    const std::uint32_t left = CallAllowanceLeft();
    if (window == nullptr || left == 0) return 0;
    std::int32_t result = 0;
    BeginWait();
    const platform::SendOutcome outcome = send(window, left, &result);
    EndWait();
    if (outcome == platform::SendOutcome::Refused) NoteRefused();
    if (outcome == platform::SendOutcome::TimedOut) GiveUpWaiting();
    return outcome == platform::SendOutcome::Answered ? result : 0;
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
    return !WasRefused() && FindPlayerWindow() != nullptr;
}

const char* PlayerUnreachable() {
    return WasRefused() ? "the player runs as administrator" : "player not running";
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
