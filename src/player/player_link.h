// Talking to the player: its main window is found by class for every message (never
// cached, so a restarted player is found again), and every message is sent
// synchronously.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace zel {

constexpr char kPlayerWindowClass[] = "Winamp v1.x";

// Request codes, sent as lParam of a request message.
constexpr std::int32_t kRequestPlayTime = 105;      // 0: position in ms, 1: length in s
constexpr std::int32_t kRequestWritePlaylist = 120;
constexpr std::int32_t kRequestPlaylistLength = 124;
constexpr std::int32_t kRequestPlaylistPosition = 125;
constexpr std::int32_t kRequestTrackInfo = 126;     // 0: sample rate, 1: bit rate, 2: channels
// Requests answered with the address of a text in the player's own memory.
constexpr std::int32_t kRequestEntryPathAnsi = 211;  // wParam: playlist position
constexpr std::int32_t kRequestEntryPath = 214;      // the same in UTF-16
constexpr std::int32_t kRequestSettingsDirAnsi = 337;
constexpr std::int32_t kRequestSettingsDir = 338;    // UTF-16, from player version 5.3 on

platform::WindowHandle FindPlayerWindow();

// The player's answer to a request; 0 when no player runs.
std::int32_t SendPlayerRequest(std::int32_t code, std::int32_t argument);

// Sends a menu command identifier; the player's result carries no meaning.
void SendPlayerCommand(std::uint32_t id);

// Sends bytes to the player as copy data of the given kind; returns its answer.
std::int32_t SendPlayerCopyData(std::uintptr_t kind, const void* data, std::uint32_t size);

// Makes the player write its playlist to "winamp.m3u" in its install directory. The
// message is synchronous, so the file is complete when this returns.
void FlushPlaylist();

}  // namespace zel
