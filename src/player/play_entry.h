// Playing a given playlist entry, whatever the player is doing.
//
// Setting the list position (request 121) only moves the position, and the play command
// resumes a paused track (the old one) rather than playing the position: so a paused
// player is stopped first, and then the entry at the new position plays.
#pragma once

#include <cstdint>

namespace zel {

// The play states request 104 answers: a playing bit, and a paused bit beside it.
constexpr std::int32_t kStatePlaying = 1;
constexpr std::int32_t kStatePaused = 3;

// Plays the entry at position (from 0), from stopped, playing or paused.
void PlayEntryAt(std::int32_t position);

}  // namespace zel
