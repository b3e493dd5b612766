#include "player/playlist_editor.h"

#include "player/player_link.h"

namespace zel {
namespace {

constexpr std::int32_t kRequestEditorWindow = 260;  // wParam 1: the playlist editor
constexpr std::uintptr_t kCopyInsertFile = 114;     // a file, and the index it goes before
constexpr std::uint32_t kMessageUser = 0x0400;
constexpr std::uintptr_t kEditorDelete = 104;       // WM_USER's wParam; lParam: the index

// The editor's insert, as it reads it: 524 bytes.
struct InsertRequest {
    char16_t file[kLongestInsertPath + 1];
    std::int32_t index;
};
static_assert(sizeof(InsertRequest) == 524, "the editor reads 524 bytes");

}  // namespace

platform::WindowHandle FindEditorWindow() {
    // The window of its class that belongs to the player found costs the player nothing.
    const platform::WindowHandle player = FindPlayerWindow();
    const platform::WindowHandle found = platform::FindWindowByClass(kEditorWindowClass);
    if (player != nullptr && found != nullptr && platform::SameProcess(player, found)) return found;
    // Else (another player's editor came first) the player names its own.
    const std::int32_t answer = SendPlayerRequest(kRequestEditorWindow, 1);
    if (PlayerWentSilent() || FindPlayerWindow() == nullptr) return nullptr;
    // A window handle's 32 bits, widened as the system widens handles between 32-bit and
    // 64-bit processes; taken only when it is the editor's (an older player answers 1).
    const auto named = reinterpret_cast<platform::WindowHandle>(static_cast<std::intptr_t>(answer));
    const bool editor = answer != 0 && answer != 1 && platform::WindowHasClass(named, kEditorWindowClass);
    return editor ? named : nullptr;
}

void InsertEntry(platform::WindowHandle editor, const char16_t* path, std::size_t count,
                 std::int32_t index) {
    InsertRequest request = {};
    for (std::size_t i = 0; i < count && i < kLongestInsertPath; ++i) request.file[i] = path[i];
    request.index = index;
    SendPlayerWindowCopyData(editor, kCopyInsertFile, &request, sizeof request);
}

void DeleteEntry(platform::WindowHandle editor, std::int32_t index) {
    SendPlayerWindowMessage(editor, kMessageUser, kEditorDelete, index);
}

}  // namespace zel
