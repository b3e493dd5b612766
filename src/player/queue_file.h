// Taking a file or a stream from a script for the player to add.
#pragma once

#include <cstddef>

#include "host/call_argument.h"

namespace zel {

// True when the argument may go to the player: valid text, a stream or a file by the
// rules of host/path_argument.h within maxLength characters, a player to take it, and,
// for a local file, that file there (looked up only once the player is known to run).
// False, with the error answered, else.
bool AcceptFileArgument(char* data, const CallArgument& argument, std::size_t maxLength);

}  // namespace zel
