#include "track/playlist_file.h"

#include "install/install_dir.h"
#include "player/player_link.h"
#include "player/player_text.h"

namespace zel {
namespace {

constexpr std::size_t kPathUnits = platform::kMaxPath;
// The longer of the two names, so that a directory that takes it takes either.
constexpr std::size_t kLongestName = sizeof kUtf8PlaylistName - 1;
static_assert(sizeof kUtf8PlaylistName >= sizeof kAnsiPlaylistName, "the longer name");

constexpr unsigned char kByteOrderMark[] = {0xEF, 0xBB, 0xBF};

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

// The directory the player names (in UTF-16, else in ANSI), ending in a backslash.
// Returns its length; 0 when the player names none; -1 when the one it names cannot take
// the file's name within a path.
std::ptrdiff_t NamedDirectory(char16_t (&path)[kPathUnits]) {
    std::ptrdiff_t named = AskPlayerText(kRequestPlaylistDir, 0, path, kPathUnits);
    if (named <= 0) {
        char ansi[kPathUnits];
        named = AskPlayerText(kRequestPlaylistDirAnsi, 0, ansi, kPathUnits);
        if (named <= 0) return 0;
        std::size_t units = 0;
        if (named >= static_cast<std::ptrdiff_t>(kPathUnits) ||
            !AppendAnsi(path, units, ansi, static_cast<std::size_t>(named))) {
            return -1;
        }
        named = static_cast<std::ptrdiff_t>(units);
    }
    auto n = static_cast<std::size_t>(named);
    if (n + 1 + kLongestName > kPathUnits - 1) return -1;
    if (path[n - 1] != u'\\' && path[n - 1] != u'/') path[n++] = u'\\';
    return static_cast<std::ptrdiff_t>(n);
}

// dir followed by name, zero-terminated, in path; false when it does not fit.
bool JoinName(const char16_t* dir, std::size_t length, const char* name,
              char16_t (&path)[kPathUnits]) {
    std::size_t n = 0;
    for (; n < length; ++n) path[n] = dir[n];
    for (; *name != '\0'; ++name) {
        if (n + 1 >= kPathUnits) return false;
        path[n++] = static_cast<char16_t>(*name);
    }
    path[n] = 0;
    return true;
}

// Moves past a UTF-8 byte-order mark at the file's start, or back to the start where
// the file has none.
bool PassByteOrderMark(platform::FileHandle file) {
    unsigned char start[sizeof kByteOrderMark] = {};
    std::uint32_t read = 0;
    if (!platform::ReadFileBytes(file, start, sizeof start, &read)) return false;
    bool mark = read == sizeof start;
    for (std::size_t i = 0; mark && i < sizeof start; ++i) mark = start[i] == kByteOrderMark[i];
    return mark || platform::SeekFileTo(file, 0);
}

}  // namespace

bool PlaylistDirectory(char16_t (&dir)[platform::kMaxPath], std::size_t* length) {
    *length = 0;
    dir[0] = 0;
    const std::ptrdiff_t named = NamedDirectory(dir);
    if (named < 0) return false;
    auto n = static_cast<std::size_t>(named);
    if (n == 0) {
        char ansi[kPathUnits];
        std::size_t size = PlayerInstallDir(ansi, kPathUnits);
        // The install directory always ends in a backslash; one too long for the name
        // is left for the open to refuse.
        if (size > kPathUnits - 1) size = kPathUnits - 1;
        if (!AppendAnsi(dir, n, ansi, size)) n = 0;
    }
    dir[n] = 0;
    *length = n;
    return true;
}

platform::FileHandle OpenPlaylistFile(const char16_t* dir, std::size_t length, PlaylistText* text) {
    char16_t path[kPathUnits];
    if (JoinName(dir, length, kUtf8PlaylistName, path)) {
        platform::FileHandle file = platform::OpenFileForReading(path, /*shareWrite=*/false);
        if (file != nullptr) {
            if (PassByteOrderMark(file)) {
                *text = PlaylistText::Utf8;
                return file;
            }
            platform::CloseFile(file);
        }
    }
    *text = PlaylistText::Ansi;
    if (!JoinName(dir, length, kAnsiPlaylistName, path)) return nullptr;
    return platform::OpenFileForReading(path, /*shareWrite=*/false);
}

}  // namespace zel
