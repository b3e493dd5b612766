// The status queries: numbers the player reports, and the title from its caption.
#include "host/client_version.h"
#include "host/host_command.h"
#include "player/caption_title.h"
#include "player/clock_text.h"
#include "player/player_link.h"
#include "platform/platform.h"
#include "text/answer_text.h"

namespace zel {
namespace {

// Flushes, asks, and answers the result (plus an offset, wrapping in 32 bits) in decimal.
int AnswerDecimal(char* data, std::int32_t code, std::int32_t argument, std::uint32_t offset = 0) {
    FlushPlaylist();
    const auto result = static_cast<std::uint32_t>(SendPlayerRequest(code, argument)) + offset;
    WriteDecimalAnswer(data, static_cast<std::int32_t>(result));
    return kResultAnswer;
}

// Flushes, asks, and answers the result, divided by `unitsPerSecond`, as a clock text.
int AnswerClock(char* data, std::int32_t argument, std::int32_t unitsPerSecond) {
    FlushPlaylist();
    WriteClockAnswer(data, SendPlayerRequest(kRequestPlayTime, argument) / unitsPerSecond);
    return kResultAnswer;
}

constexpr std::int32_t kSampleRate = 0;
constexpr std::int32_t kBitRate = 1;
constexpr std::int32_t kChannels = 2;

}  // namespace
}  // namespace zel

using namespace zel;

ZEL_HOST_COMMAND(zel_winamp_track_length) {
    return AnswerClock(data, kTrackLengthSeconds, 1);
}

ZEL_HOST_COMMAND(zel_winamp_track_play_pos) {
    return AnswerClock(data, kPlayPositionMs, 1000);
}

ZEL_HOST_COMMAND(zel_winamp_playlist_tracks) {
    return AnswerDecimal(data, kRequestPlaylistLength, 0);
}

ZEL_HOST_COMMAND(zel_winamp_playlist_pos) {
    // The player counts from 0, the answer from 1.
    return AnswerDecimal(data, kRequestPlaylistPosition, 0, 1);
}

ZEL_HOST_COMMAND(zel_winamp_track_samplerate) {
    return AnswerDecimal(data, kRequestTrackInfo, kSampleRate);
}

ZEL_HOST_COMMAND(zel_winamp_track_bitrate) {
    return AnswerDecimal(data, kRequestTrackInfo, kBitRate);
}

ZEL_HOST_COMMAND(zel_winamp_track_channels) {
    return AnswerDecimal(data, kRequestTrackInfo, kChannels);
}

ZEL_HOST_COMMAND(zel_winamp_track_name) {
    if (ClientReadsUtf8()) {
        // The wide caption holds what the ANSI one would turn into "?".
        char16_t caption[kCaptionCapacity];
        platform::ReadWindowCaptionWide(FindPlayerWindow(), caption, kCaptionCapacity);
        caption[kCaptionCapacity - 1] = 0;
        const std::size_t length = CaptionTitle(caption);
        if (length != 0) WriteWideAnswer(data, caption, length);
    } else {
        char caption[kCaptionCapacity];
        platform::ReadWindowCaption(FindPlayerWindow(), caption, kCaptionCapacity);
        caption[kCaptionCapacity - 1] = '\0';
        const std::size_t length = CaptionTitle(caption);
        if (length != 0) WriteAnsiAnswer(data, caption, length);
    }
    return kResultAnswer;
}
