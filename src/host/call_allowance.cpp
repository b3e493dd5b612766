#include "host/call_allowance.h"

#include "platform/platform.h"

namespace zel {
namespace {

// One call at a time runs, on the client's thread; this is reset at the start of each.
struct Allowance {
    std::uint32_t startedAt;
    bool givenUp;
};
Allowance theCall = {0, false};

}  // namespace

void BeginCall() {
    theCall.startedAt = platform::TickMilliseconds();
    theCall.givenUp = false;
}

std::uint32_t CallAllowanceLeft() {
    if (theCall.givenUp) return 0;
    // Unsigned difference: right across the tick count's wrap-around.
    const std::uint32_t spent = platform::TickMilliseconds() - theCall.startedAt;
    return spent >= kCallAllowanceMs ? 0 : kCallAllowanceMs - spent;
}

void GiveUpWaiting() {
    theCall.givenUp = true;
}

}  // namespace zel
