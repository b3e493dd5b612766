// The one allowance of waiting that every command call has.
//
// The chat client calls the library on its only user-interface thread, so a call that
// waits on the player freezes the client for as long. Every command therefore gets one
// second of waiting in all, started by the command frame and spent by every message the
// call sends; once a wait runs out the call waits for nothing more.
#pragma once

#include <cstdint>

namespace zel {

constexpr std::uint32_t kCallAllowanceMs = 1000;

// Starts a call with its whole allowance. The command frame calls it first thing, so no
// call inherits what an earlier one spent.
void BeginCall();

// Milliseconds of waiting left to this call; 0 once it is spent or given up.
std::uint32_t CallAllowanceLeft();

// A wait ran out (or the other side is known to be hung): the rest of the call waits for
// nothing.
void GiveUpWaiting();

}  // namespace zel
