// The one allowance of waiting that every command call has.
//
// The chat client calls the library on its only user-interface thread, so a call that
// waits on the player freezes the client for as long. Every command therefore gets one
// second of waiting on the player in all, spent by every message the call sends; once a
// wait runs out the call waits for nothing more. Only the waits count: time the library
// spends on its own work (a file looked up on a slow disk) says nothing about the player
// and must not make a prompt player look gone.
//
// While a call waits, the client's thread handles messages sent to it, so a script can
// call the library again from inside that wait. Such a nested call shares the outer
// call's allowance: it gets what is left, and what it spends is gone for the outer call
// too, so that together they hold the client no longer than one call would.
#pragma once

#include <cstdint>

namespace zel {

constexpr std::uint32_t kCallAllowanceMs = 1000;

// A command call begins and ends; the command frame calls both. A call that begins while
// none is under way starts with the whole allowance, so no call inherits what an earlier
// one spent; one that begins inside another's wait goes on with what is left.
void BeginCall();
void EndCall();

// Milliseconds of waiting left to this call; 0 once it is spent or given up.
std::uint32_t CallAllowanceLeft();

// A send to the player begins and ends: the time between is charged to the allowance.
// Sends made by a nested call inside an open one are within its time and charged once.
void BeginWait();
void EndWait();

// A wait ran out (or the other side is known to be hung): the rest of the call waits for
// nothing.
void GiveUpWaiting();

// The system refused a message to the player (it runs with higher rights than the
// client): noted for the rest of the call, so its error can say why.
void NoteRefused();
bool WasRefused();

}  // namespace zel
