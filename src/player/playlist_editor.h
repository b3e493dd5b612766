// The player's playlist editor: the window through which an entry is inserted anywhere in
// the list or deleted (the main window only appends).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace zel {

constexpr char kEditorWindowClass[] = "Winamp PE";

// The longest path the editor's insert takes, in UTF-16 units, its zero not counted: the
// message's file field holds 260 units.
constexpr std::size_t kLongestInsertPath = 259;

// The editor's window: the first of its class where it is the player's (as in older
// players, which cannot name it), else the one the player names (request 260). Null
// without a player, or with one that stopped answering.
platform::WindowHandle FindEditorWindow();

// Inserts a file (count UTF-16 units, at most kLongestInsertPath) before the entry at
// index (from 0). The current entry stays current.
void InsertEntry(platform::WindowHandle editor, const char16_t* path, std::size_t count,
                 std::int32_t index);

// Deletes the entry at index (from 0).
void DeleteEntry(platform::WindowHandle editor, std::int32_t index);

}  // namespace zel
