// The requests and commands behind the controls that take an argument or answer a state,
// beside the ones every query uses (player_link.h).
#pragma once

#include <cstdint>

namespace zel {

constexpr std::int32_t kRequestPlayState = 104;        // 1 playing, 3 paused, else stopped
// wParam: ms. 0 when it seeks (also past the end: the player then runs to the end and
// moves on); -1 when stopped or the track cannot seek (a stream).
constexpr std::int32_t kRequestSeek = 106;
constexpr std::int32_t kRequestSetPosition = 121;      // wParam: playlist position; plays nothing
constexpr std::int32_t kRequestVolume = 122;           // wParam: 0..255, or kAskVolume
constexpr std::int32_t kAskVolume = -666;              // answers the volume, changes nothing
constexpr std::int32_t kRequestEntryTitleAnsi = 212;   // wParam: position; address of the text
constexpr std::int32_t kRequestEntryTitle = 213;       // the same in UTF-16
constexpr std::int32_t kRequestShuffle = 250;
constexpr std::int32_t kRequestRepeat = 251;
constexpr std::int32_t kRequestSetShuffle = 252;       // wParam: 1 on, 0 off
constexpr std::int32_t kRequestSetRepeat = 253;

// Play resumes a paused track; otherwise it plays the entry at the list position.
constexpr std::uint32_t kCommandPlay = 40045;
constexpr std::uint32_t kCommandStop = 40047;

// The copy-data kind that adds a file (zero-terminated UTF-16) to the playlist's end.
// Players before 5.3 ignore it.
constexpr std::uintptr_t kCopyEnqueueFile = 1100;

}  // namespace zel
