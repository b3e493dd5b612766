// Talking to the player: its main window is found by class for every message (never
// cached, so a restarted player is found again), and every message waits for the
// player's answer within what is left of the call's allowance. Once the player has
// failed to answer in time, the rest of the call sees no player at all: it sends nothing
// more and answers as it does when no player runs.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace zel {

constexpr char kPlayerWindowClass[] = "Winamp v1.x";

// Request codes, sent as lParam of a request message.
constexpr std::int32_t kRequestPlayTime = 105;
constexpr std::int32_t kPlayPositionMs = 0;         // its arguments: the position in ms,
constexpr std::int32_t kTrackLengthSeconds = 1;     // the track's length in seconds
constexpr std::int32_t kRequestWritePlaylist = 120;
constexpr std::int32_t kRequestPlaylistLength = 124;
constexpr std::int32_t kRequestPlaylistPosition = 125;
constexpr std::int32_t kRequestTrackInfo = 126;     // 0: sample rate, 1: bit rate, 2: channels
// Requests answered with the address of a text in the player's own memory.
constexpr std::int32_t kRequestEntryPathAnsi = 211;  // wParam: playlist position
constexpr std::int32_t kRequestEntryPath = 214;      // the same in UTF-16
constexpr std::int32_t kRequestPlaylistDirAnsi = 337;
constexpr std::int32_t kRequestPlaylistDir = 338;    // UTF-16; where request 120 writes

// The player's window; null when none exists or the player has failed to answer in time
// during this call.
platform::WindowHandle FindPlayerWindow();

// True while a player window exists and has answered every message of this call in time
// (none refused): the commands that take an argument check it before they send and after.
bool PlayerAnswering();

// Why the player answers nothing, for an error answer ("ERR " and this): "player not
// running", or, where the system refused a message, "the player runs as administrator".
const char* PlayerUnreachable();

// True once a message of this call went unanswered in time: what the call learned from
// the player before then is to be dropped, not mixed with what it does without one.
bool PlayerWentSilent();

// The player's answer to a request; 0 when no player runs or it does not answer in time.
std::int32_t SendPlayerRequest(std::int32_t code, std::int32_t argument);

// Sends a menu command identifier; the player's result carries no meaning. A command
// whose handling outlasts the wait (the player shows a dialog) is still carried out.
void SendPlayerCommand(std::uint32_t id);

// Sends `size` bytes to the player as WM_COPYDATA tagged with `kind`; the player's answer,
// 0 when it does not answer in time.
std::int32_t SendPlayerCopyData(std::uintptr_t kind, const void* bytes, std::uint32_t size);

// The same to another window of the player's (its playlist editor), within the same
// allowance: nothing once the player has failed to answer in time.
std::int32_t SendPlayerWindowMessage(platform::WindowHandle window, std::uint32_t message,
                                     std::uintptr_t wParam, std::intptr_t lParam);
std::int32_t SendPlayerWindowCopyData(platform::WindowHandle window, std::uintptr_t kind,
                                      const void* bytes, std::uint32_t size);

// Makes the player write its playlist to "winamp.m3u" in its install directory. The
// file is complete when the player has answered.
void FlushPlaylist();

}  // namespace zel
