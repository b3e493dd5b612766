// What a script may pass as a file or a stream for the player to add. The text often
// comes from a channel, so it is taken as hostile: only http:// and https:// addresses
// are streams; a file is named by a full local path or a network path, never by a
// relative one (the player would resolve it in its own current directory), and never so
// that the player would open a device instead (a reserved name such as NUL or COM1, the
// device namespace "\\.\...", a named pipe or mailslot share, a file's data stream).
//
// Checking is in two steps, so that nothing is looked up on disk before a player is
// known to run: ClassifyPath judges the text by its form alone, then LocalFileExists
// looks a local file up. A network path and a stream are passed on as they stand, never
// looked up (the player opens them itself): a lookup over the network has no bound, and
// a channel may name the host.
#pragma once

#include <cstddef>

#include "host/call_argument.h"

namespace zel {

enum class PathKind {
    Relative,     // no drive, no network share, no scheme
    OtherScheme,  // "scheme:..." of a scheme other than http or https
    TooLong,      // longer than the caller's limit
    NoFile,       // names no file the player may open: a device, a directory, a stream
                  // of a file (a colon after the drive), wildcards
    LocalFile,    // a full local path, to be looked up with LocalFileExists
    NetworkFile,  // \\host\share\..., //host/share/... or \\?\UNC\host\share\...
    Stream,       // http://host... or https://host..., in any case
};

// Judges the argument by its form, looking nothing up. A path or address longer than
// maxLength characters is TooLong: the player's copy-data message takes any length the
// file calls take (platform::kLongestFilePath), its playlist editor's insert fewer.
PathKind ClassifyPath(const CallArgument& argument, std::size_t maxLength);

// The reason to answer after "ERR " for a kind that is refused; null for one that may
// be passed on.
const char* PathRefusal(PathKind kind);

constexpr char kNoSuchFile[] = "no such file";

// True when a LocalFile names an existing file (not a directory), looked up whole up to
// platform::kLongestFilePath characters. A slow disk or a mapped network drive makes it
// slow: call it only once the player is known to run.
bool LocalFileExists(const CallArgument& argument);

}  // namespace zel
