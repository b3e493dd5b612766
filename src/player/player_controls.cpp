// The controls that answer a state or take a value from the script: play state, volume,
// seeking, jumping to an entry, shuffle and repeat.
//
// A command parses its argument first and sends nothing for one that does not parse.
// Without a player window, or with one that stopped answering during the call, it
// answers "ERR player not running"; a query answers what the player answers when absent.
#include "host/call_argument.h"
#include "host/host_command.h"
#include "player/clock_text.h"
#include "player/control_codes.h"
#include "player/play_entry.h"
#include "player/player_link.h"

namespace zel {
namespace {

constexpr std::int32_t kVolumeSteps = 255;  // the player's volume runs 0..255
constexpr std::int64_t kLongestMs = 2147483647;

int AnswerNumber(char* data, std::int32_t value) {
    WriteDecimalAnswer(data, value);
    return kResultAnswer;
}

int AnswerWord(char* data, const char* word) {
    WriteText(data, word);
    return kResultAnswer;
}

std::int64_t Clamp(std::int64_t value, std::int64_t low, std::int64_t high) {
    return value < low ? low : value > high ? high : value;
}

std::int64_t Applied(Change change, std::int64_t now, std::int64_t amount) {
    return change == Change::Add ? now + amount : change == Change::Subtract ? now - amount : amount;
}

// The volume as percent, rounded; 0 when no player answers.
std::int32_t VolumePercent() {
    const std::int64_t steps = Clamp(SendPlayerRequest(kRequestVolume, kAskVolume), 0, kVolumeSteps);
    return static_cast<std::int32_t>((steps * 100 + kVolumeSteps / 2) / kVolumeSteps);
}

int AnswerSwitch(char* data, std::int32_t getCode) {
    return AnswerWord(data, SendPlayerRequest(getCode, 0) != 0 ? "on" : "off");
}

// Sets shuffle or repeat, then answers the state the player reports after.
int SetSwitch(char* data, std::int32_t setCode, std::int32_t getCode) {
    CallArgument argument;
    ReadCallArgument(data, argument);
    bool on = false;
    if (!ParseSwitch(argument, &on)) return AnswerError(data, "give on or off");
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    SendPlayerRequest(setCode, on ? 1 : 0);
    const bool now = SendPlayerRequest(getCode, 0) != 0;
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    return AnswerWord(data, now ? "on" : "off");
}

}  // namespace
}  // namespace zel

using namespace zel;

ZEL_HOST_COMMAND(zel_winamp_play_state) {
    constexpr char kNotRunning[] = "not running";
    if (!PlayerAnswering()) return AnswerWord(data, kNotRunning);
    const std::int32_t state = SendPlayerRequest(kRequestPlayState, 0);
    if (!PlayerAnswering()) return AnswerWord(data, kNotRunning);
    return AnswerWord(data, state == kStatePlaying ? "playing" : state == kStatePaused ? "paused" : "stopped");
}

ZEL_HOST_COMMAND(zel_winamp_volume) {
    return AnswerNumber(data, VolumePercent());
}

ZEL_HOST_COMMAND(zel_winamp_set_volume) {
    CallArgument argument;
    ReadCallArgument(data, argument);
    Change change = Change::Set;
    std::int32_t amount = 0;
    if (!ParseAmount(argument, &change, &amount) || (change == Change::Set && amount > 100)) {
        return AnswerError(data, "volume must be a whole number from 0 to 100, or +N or -N");
    }
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    const std::int64_t now = change == Change::Set ? 0 : VolumePercent();
    const std::int64_t percent = Clamp(Applied(change, now, amount), 0, 100);
    SendPlayerRequest(kRequestVolume,
                      static_cast<std::int32_t>((percent * kVolumeSteps + 50) / 100));
    const std::int32_t after = VolumePercent();
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    return AnswerNumber(data, after);
}

ZEL_HOST_COMMAND(zel_winamp_seek) {
    CallArgument argument;
    ReadCallArgument(data, argument);
    Change change = Change::Set;
    std::int32_t seconds = 0;
    if (!ParseClockTime(argument, &change, &seconds)) {
        return AnswerError(data, "give a time as seconds, m:ss or h:mm:ss, or +/- one");
    }
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    const std::int32_t state = SendPlayerRequest(kRequestPlayState, 0);
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    if (state != kStatePlaying && state != kStatePaused) return AnswerError(data, "not playing");
    // The track's length, in seconds; -1 when it has none (a stream).
    const std::int32_t length = SendPlayerRequest(kRequestPlayTime, kTrackLengthSeconds);
    std::int64_t now = 0;
    if (change != Change::Set) {
        now = Clamp(SendPlayerRequest(kRequestPlayTime, kPlayPositionMs), 0, kLongestMs);
    }
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    const std::int64_t ms = Clamp(Applied(change, now, std::int64_t{seconds} * 1000), 0, kLongestMs);
    // The player seeks past the end all the same, and then moves on to the next track.
    if (length >= 0 && ms >= std::int64_t{length} * 1000) {
        return AnswerError(data, "past the end of the track");
    }
    const std::int32_t result = SendPlayerRequest(kRequestSeek, static_cast<std::int32_t>(ms));
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    if (result == -1) return AnswerError(data, "this track cannot seek");
    WriteClockAnswer(data, static_cast<std::int32_t>(ms / 1000));
    return kResultAnswer;
}

ZEL_HOST_COMMAND(zel_winamp_jump) {
    CallArgument argument;
    ReadCallArgument(data, argument);
    std::int32_t number = 0;
    if (!ParseWholeNumber(argument, &number) || number < 1) {
        return AnswerError(data, "entry must be a whole number from 1");
    }
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    const std::int32_t length = SendPlayerRequest(kRequestPlaylistLength, 0);
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    if (number > length) return AnswerError(data, "past the end of the playlist");
    PlayEntryAt(number - 1);
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    return AnswerNumber(data, number);
}

ZEL_HOST_COMMAND(zel_winamp_shuffle) {
    return AnswerSwitch(data, kRequestShuffle);
}

ZEL_HOST_COMMAND(zel_winamp_repeat) {
    return AnswerSwitch(data, kRequestRepeat);
}

ZEL_HOST_COMMAND(zel_winamp_set_shuffle) {
    return SetSwitch(data, kRequestSetShuffle, kRequestShuffle);
}

ZEL_HOST_COMMAND(zel_winamp_set_repeat) {
    return SetSwitch(data, kRequestSetRepeat, kRequestRepeat);
}
