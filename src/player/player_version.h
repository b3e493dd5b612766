// The player's version, and the versions from which it knows the newer requests.
#pragma once

#include <cstdint>

namespace zel {

// Request 0's answer: the version in hex digits, 0x5092 for 5.9.2 (also 0x5066 for 5.66);
// within 5.x it grows with the version. 0 without a player.
std::int32_t PlayerVersion();

// The player's answer to a request (argument 0) that it knows from `version` on; -1 where
// it is older, or there is no player, or it stopped answering.
std::int32_t AskFromVersion(std::int32_t version, std::int32_t code);

constexpr std::int32_t kVersionWithRatings = 0x5004;    // requests 639, 640
constexpr std::int32_t kVersionWithStopAfter = 0x5058;  // request 658
constexpr std::int32_t kVersionWithNextEntry = 0x5061;  // request 136

}  // namespace zel
