// Real files in a scratch folder and a simulated player that writes its playlist there,
// for the tests of the playlist reader and the tag queries.
//
// The install directory comes from the registry upper-cased and cut at its last
// backslash, which POSIX paths do not have. The uninstall value used here is a Windows
// path, so the playlist name becomes a single POSIX file name relative to the current
// directory (kPlaylistName below); each test runs inside its own scratch folder so that
// name lands there. Track files are named by absolute POSIX paths.
#pragma once

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim.h"
#include "player/player_link.h"

namespace zel::testing {

constexpr char kUninstallKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Winamp";
constexpr char kUninstallValueName[] = "UninstallString";
// As an installer stores it: quoted, lower case, with the uninstaller's name at the end.
constexpr char kUninstallString[] = "\"c:\\program files\\winamp\\uninstall.exe\"";
// What the library makes of it, followed by the playlist's name.
constexpr char kPlaylistName[] = "C:\\PROGRAM FILES\\WINAMP\\winamp.m3u";

inline int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    return ::remove(path);
}

// A fresh folder under /tmp that is the current directory while the object lives, removed
// with everything in it afterwards.
class ScratchDir {
public:
    ScratchDir() {
        char name[] = "/tmp/zel_unit_XXXXXX";
        const char* made = ::mkdtemp(name);
        if (made == nullptr) {
            ADD_FAILURE() << "mkdtemp failed";
            return;
        }
        path_ = made;
        char previous[PATH_MAX];
        if (::getcwd(previous, sizeof previous) != nullptr) previous_ = previous;
        if (::chdir(path_.c_str()) != 0) ADD_FAILURE() << "chdir " << path_;
    }
    ~ScratchDir() {
        if (!previous_.empty() && ::chdir(previous_.c_str()) != 0) std::perror("chdir back");
        if (!path_.empty()) ::nftw(path_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
    std::string previous_;
};

inline bool WriteFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

// The player's uninstall entry, so that the playlist is looked for as kPlaylistName.
inline void RegisterPlayer() {
    sim::SetRegistryValue(kUninstallKeyPath, kUninstallValueName, 1 /* REG_SZ */, kUninstallString);
}

// A running player: its position request answers from `positions` in turn (the last one
// repeats), and each playlist request writes `playlist` as `playlistFile`, if one is
// given. Other requests answer from `answers` (by code and argument), else 0.
struct SimPlayer {
    std::vector<std::int32_t> positions{0};
    const std::string* playlist = nullptr;
    std::string playlistFile = kPlaylistName;
    std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> answers;
    std::size_t positionRequests = 0;
    int flushes = 0;
};

inline void StartPlayer(SimPlayer& player) {
    sim::AddWindow(kPlayerWindowClass, "1. Someone - Something - Winamp",
                   [&player](std::int32_t code, std::int32_t argument) -> std::int32_t {
                       if (code == kRequestWritePlaylist) {
                           ++player.flushes;
                           if (player.playlist != nullptr) WriteFile(player.playlistFile, *player.playlist);
                           return 1;
                       }
                       if (code == kRequestPlaylistPosition) {
                           const std::size_t i = player.positionRequests++;
                           return player.positions[i < player.positions.size() ? i
                                                                              : player.positions.size() - 1];
                       }
                       const auto answer = player.answers.find({code, argument});
                       return answer != player.answers.end() ? answer->second : 0;
                   });
}

// What a lookup of the current entry asks when the player names no path and no
// directory: its position, the entry's path, then the playlist written, and the settings
// directory in UTF-16 and in ANSI.
const std::vector<std::intptr_t> kPlaylistFileLookup = {125, 214, 120, 338, 337};

// The request codes the player received, in order.
inline std::vector<std::intptr_t> RequestCodes() {
    std::vector<std::intptr_t> codes;
    for (const sim::Message& m : sim::Messages()) {
        if (m.message == 0x400) codes.push_back(m.lParam);
    }
    return codes;
}

}  // namespace zel::testing
