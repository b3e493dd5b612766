#include "host/call_allowance.h"

#include "platform/platform.h"

namespace zel {
namespace {

// Calls run on the client's thread, one at a time or nested in one another's waits;
// this is reset when a call begins with none under way.
struct Allowance {
    std::uint32_t calls;          // calls under way: more than one while a nested call runs
    std::uint32_t spentMs;        // waiting done by the sends that have ended
    std::uint32_t openWaits;      // sends under way, nested in one another
    std::uint32_t waitStartedAt;  // the tick count when the outermost of them began
    bool givenUp;
    bool refused;
};
Allowance theCalls = {0, 0, 0, 0, false, false};

// Waiting spent so far, the open send's included, at most the whole allowance.
std::uint32_t Spent() {
    std::uint64_t spent = theCalls.spentMs;
    // Unsigned difference: right across the tick count's wrap-around.
    if (theCalls.openWaits != 0) spent += platform::TickMilliseconds() - theCalls.waitStartedAt;
    return spent >= kCallAllowanceMs ? kCallAllowanceMs : static_cast<std::uint32_t>(spent);
}

}  // namespace

void BeginCall() {
    if (theCalls.calls == 0) theCalls = Allowance{0, 0, 0, 0, false, false};
    ++theCalls.calls;
}

void EndCall() {
    if (theCalls.calls != 0) --theCalls.calls;
}

std::uint32_t CallAllowanceLeft() {
    return theCalls.givenUp ? 0 : kCallAllowanceMs - Spent();
}

void BeginWait() {
    if (theCalls.openWaits++ == 0) theCalls.waitStartedAt = platform::TickMilliseconds();
}

void EndWait() {
    if (theCalls.openWaits == 0) return;
    const std::uint32_t spent = Spent();
    if (--theCalls.openWaits == 0) theCalls.spentMs = spent;
}

void GiveUpWaiting() {
    theCalls.givenUp = true;
}

void NoteRefused() {
    theCalls.refused = true;
}

bool WasRefused() {
    return theCalls.refused;
}

}  // namespace zel
