// Stop after the current track: its state read, and set to what is asked. The player has
// only a toggle for it (the menu command, which acts only while playing) and answers the
// state inverted.
#include "host/call_argument.h"
#include "host/host_command.h"
#include "player/control_codes.h"
#include "player/play_entry.h"
#include "player/player_link.h"
#include "player/player_version.h"

namespace zel {
namespace {

constexpr std::int32_t kRequestStopAfter = 658;  // 0 when on, 1 when off
constexpr std::uint32_t kCommandToggleStopAfter = 40157;

// The state, from the player's inverted answer: 1 on, 0 off, -1 for any other answer.
int StopAfterState(std::int32_t answer) {
    return answer == 0 ? 1 : answer == 1 ? 0 : -1;
}

int StopAfterState() {
    return StopAfterState(SendPlayerRequest(kRequestStopAfter, 0));
}

}  // namespace
}  // namespace zel

using namespace zel;

ZEL_HOST_COMMAND(zel_winamp_stop_after_state) {
    const int state = StopAfterState(AskFromVersion(kVersionWithStopAfter, kRequestStopAfter));
    WriteText(data, state < 0 ? "n/a" : state == 1 ? "on" : "off");
    return kResultAnswer;
}

ZEL_HOST_COMMAND(zel_winamp_set_stop_after) {
    CallArgument argument;
    ReadCallArgument(data, argument);
    bool on = false;
    if (!ParseSwitch(argument, &on)) return AnswerError(data, "give on or off");
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    const std::int32_t version = PlayerVersion();
    const std::int32_t playState = SendPlayerRequest(kRequestPlayState, 0);
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    if (version < kVersionWithStopAfter) return AnswerError(data, "the player has no stop-after state");
    // The toggle does nothing while stopped.
    if (playState != kStatePlaying && playState != kStatePaused) return AnswerError(data, "not playing");
    const int now = StopAfterState();
    if (now >= 0 && (now == 1) != on) SendPlayerCommand(kCommandToggleStopAfter);
    const int after = StopAfterState();
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    if (after < 0) return AnswerError(data, "the player has no stop-after state");
    WriteText(data, after == 1 ? "on" : "off");
    return kResultAnswer;
}
