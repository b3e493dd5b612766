#include "track/track_entry.h"

#include "install/install_dir.h"
#include "platform/platform.h"
#include "player/player_link.h"
#include "player/player_text.h"

namespace zel {
namespace {

constexpr std::size_t kPathUnits = platform::kMaxPath;

// Appends ANSI bytes to a UTF-16 path, widened as the system widens them; false when
// they do not fit.
bool AppendAnsi(char16_t (&path)[kPathUnits], std::size_t& length, const char* text,
                std::size_t size) {
    if (size == 0) return true;
    const int units = platform::AnsiToWide(text, static_cast<int>(size), path + length,
                                           static_cast<int>(kPathUnits - 1 - length));
    if (units <= 0) return false;
    length += static_cast<std::size_t>(units);
    return true;
}

// The directory the player keeps its playlist in: the settings directory it names (in
// UTF-16, else in ANSI), ending in a backslash. Returns its length; 0 when the player
// names none; -1 when the one it names cannot take the file's name within a path.
std::ptrdiff_t NamedDirectory(char16_t (&path)[kPathUnits]) {
    std::ptrdiff_t named = AskPlayerText(kRequestSettingsDir, 0, path, kPathUnits);
    if (named <= 0) {
        char ansi[kPathUnits];
        named = AskPlayerText(kRequestSettingsDirAnsi, 0, ansi, kPathUnits);
        if (named <= 0) return 0;
        std::size_t units = 0;
        if (named >= static_cast<std::ptrdiff_t>(kPathUnits) ||
            !AppendAnsi(path, units, ansi, static_cast<std::size_t>(named))) {
            return -1;
        }
        named = static_cast<std::ptrdiff_t>(units);
    }
    auto n = static_cast<std::size_t>(named);
    if (n + sizeof kPlaylistFileName > kPathUnits - 1) return -1;
    if (path[n - 1] != u'\\' && path[n - 1] != u'/') path[n++] = u'\\';
    return static_cast<std::ptrdiff_t>(n);
}

// The playlist file's path: the directory the player names, or else its install
// directory from the registry (where players before the settings directory kept it), cut
// to what the file system takes. False when the named directory cannot hold it.
bool PlaylistPath(char16_t (&path)[kPathUnits]) {
    std::ptrdiff_t named = NamedDirectory(path);
    if (named < 0) return false;
    auto length = static_cast<std::size_t>(named);
    if (length == 0) {
        char ansi[kPathUnits];
        std::size_t size = PlayerInstallDir(ansi, kPathUnits);
        if (size > kPathUnits - 1) size = kPathUnits - 1;
        if (!AppendAnsi(path, length, ansi, size)) length = 0;
    }
    for (const char* c = kPlaylistFileName; *c != '\0' && length < kPathUnits - 1; ++c) {
        path[length++] = static_cast<char16_t>(*c);
    }
    path[length] = 0;
    return true;
}

EntryLookup ReadEntryFromPlaylistFile(std::int32_t position, TrackEntry& entry) {
    FlushPlaylist();
    char16_t playlist[kPathUnits];
    entry.fromPlaylistFile = true;
    if (!PlaylistPath(playlist)) return EntryLookup::NoPlaylist;
    const EntryLookup found = ReadEntryAtPosition(playlist, position, entry.line,
                                                  sizeof entry.line, &entry.lineLength);
    if (found != EntryLookup::Found) return found;
    // The path in UTF-16 for the file system; a line longer than was kept names no file
    // any call could take, and keeps its length in bytes to say so.
    std::size_t kept = entry.lineLength;
    if (kept > kDataCapacity - 1) kept = kDataCapacity - 1;
    const int units = kept == 0 ? 0
                                : platform::AnsiToWide(entry.line, static_cast<int>(kept), entry.path,
                                                       static_cast<int>(kDataCapacity - 1));
    entry.path[units > 0 ? units : 0] = 0;
    entry.length = entry.lineLength > kept ? entry.lineLength
                                           : static_cast<std::size_t>(units > 0 ? units : 0);
    return found;
}

}  // namespace

EntryLookup LookUpEntry(std::int32_t position, TrackEntry& entry) {
    entry.fromPlaylistFile = false;
    entry.lineLength = 0;
    entry.line[0] = '\0';
    const std::ptrdiff_t length =
        AskPlayerText(kRequestEntryPath, position, entry.path, kDataCapacity);
    if (length > 0) {
        entry.length = static_cast<std::size_t>(length);
        return EntryLookup::Found;
    }
    entry.path[0] = 0;
    entry.length = 0;
    return ReadEntryFromPlaylistFile(position, entry);
}

EntryLookup LookUpCurrentEntry(TrackEntry& entry) {
    const bool silentBefore = PlayerWentSilent();
    const EntryLookup found = LookUpEntry(SendPlayerRequest(kRequestPlaylistPosition, 0), entry);
    if (silentBefore || !PlayerWentSilent()) return found;
    return LookUpEntry(0, entry);  // the position a missing player answers
}

bool CurrentPlaylistEntry(TrackEntry& entry) {
    if (LookUpCurrentEntry(entry) == EntryLookup::Found && entry.length != 0) return true;
    entry.path[0] = 0;
    entry.length = 0;
    return false;
}

}  // namespace zel
