// The current entry's rating, 0 to 5 stars, read and set (players from 5.04 on).
#include "host/call_argument.h"
#include "host/host_command.h"
#include "player/clock_text.h"
#include "player/player_link.h"
#include "player/player_version.h"

namespace zel {
namespace {

constexpr std::int32_t kRequestSetRating = 639;  // wParam: 0 to 5
constexpr std::int32_t kRequestRating = 640;
constexpr std::int32_t kMostStars = 5;

}  // namespace
}  // namespace zel

using namespace zel;

ZEL_HOST_COMMAND(zel_winamp_rating) {
    const std::int32_t rating = AskFromVersion(kVersionWithRatings, kRequestRating);
    if (rating < 0 || rating > kMostStars) {
        WriteText(data, "n/a");
    } else {
        WriteDecimalAnswer(data, rating);
    }
    return kResultAnswer;
}

ZEL_HOST_COMMAND(zel_winamp_set_rating) {
    CallArgument argument;
    ReadCallArgument(data, argument);
    std::int32_t rating = 0;
    if (!ParseWholeNumber(argument, &rating) || rating > kMostStars) {
        return AnswerError(data, "rating must be a whole number from 0 to 5");
    }
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    const std::int32_t version = PlayerVersion();
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    if (version < kVersionWithRatings) return AnswerError(data, "the player keeps no ratings");
    SendPlayerRequest(kRequestSetRating, rating);
    const std::int32_t after = SendPlayerRequest(kRequestRating, 0);
    if (!PlayerAnswering()) return AnswerError(data, PlayerUnreachable());
    WriteDecimalAnswer(data, after);
    return kResultAnswer;
}
