#include "player/play_entry.h"

#include "player/control_codes.h"
#include "player/player_link.h"

namespace zel {

void PlayEntryAt(std::int32_t position) {
    SendPlayerRequest(kRequestSetPosition, position);
    if (SendPlayerRequest(kRequestPlayState, 0) == kStatePaused) SendPlayerCommand(kCommandStop);
    SendPlayerCommand(kCommandPlay);
}

}  // namespace zel
