// zel_winamp_start: starts the player from its install directory.
//
// The program is named twice: as the application name, so the system never searches
// for it, and in double quotes as the command line, so a directory with blanks
// (C:\PROGRAM FILES\WINAMP\) can never start C:\PROGRAM.EXE instead.
#include "host/host_command.h"
#include "install/install_dir.h"
#include "platform/platform.h"

namespace zel {
namespace {

constexpr char kPlayerProgram[] = "winamp.exe";
constexpr std::size_t kPlayerProgramLength = sizeof kPlayerProgram - 1;

void LaunchPlayer() {
    char path[platform::kMaxPath];
    std::size_t length = PlayerInstallDir(path, sizeof path);
    // No directory: nothing to start (an empty one would run whatever winamp.exe the
    // current directory or the search path happens to hold).
    if (length == 0) return;
    // A directory cut to fit path, or one too long to take the name, starts nothing.
    if (length >= sizeof path) return;
    const std::size_t slash = path[length - 1] == '\\' ? 0 : 1;
    if (length + slash + kPlayerProgramLength >= sizeof path) return;
    if (slash != 0) path[length++] = '\\';
    for (std::size_t i = 0; i <= kPlayerProgramLength; ++i) path[length + i] = kPlayerProgram[i];
    length += kPlayerProgramLength;

    char commandLine[platform::kMaxPath + 2];
    commandLine[0] = '"';
    for (std::size_t i = 0; i < length; ++i) commandLine[1 + i] = path[i];
    commandLine[1 + length] = '"';
    commandLine[2 + length] = '\0';

    platform::StartProcess(path, commandLine);
}

}  // namespace
}  // namespace zel

ZEL_HOST_COMMAND(zel_winamp_start) {
    (void)data;
    zel::LaunchPlayer();
    return zel::kResultAnswer;
}
