// What the end-to-end tests share: calling the DLL as the client does, starting and
// steering the simulated player, files and the player's uninstall entry in the registry.
//
// Layout inside the Wine prefix (C: is the prefix's drive_c):
//   <folder of wine_tests.exe>\   zel.winamp.dll, fake_player.exe and the helper programs
//   C:\zeltest\                   scenarios, logs and install directories the tests make
//   C:\zelfix\                    track files prepared by run.sh (tags, sparse, read-only)
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "dllcall/client_call.h"
#include "win_files.h"

namespace wine_test {

// ---- the DLL
std::string bin_dir();   // folder of the running test program, ending in a backslash
std::string dll_path();
// One full client cycle (load, LoadDll, call, unload) of `export_name`, by a client that
// reports `version` (today's clients 7.x, mIRC 6 kClientVersion6).
ClientCall call(const std::string& export_name, const std::string& params = "abc",
                uint32_t version = kClientVersion7);
// True where the DLL answers every client in UTF-8: the x64 build, whose clients all are
// of the Unicode era.
constexpr bool kEveryClientGetsUtf8 = sizeof(void*) == 8;

// ---- files
extern const char* const kWorkDir;      // "C:\\zeltest\\"
extern const char* const kFixtureDir;   // "C:\\zelfix\\"
extern const char* const kInstallDir;   // "C:\\zeltest\\wa\\": where the player is installed
bool make_dirs(const std::string& path);
std::wstring widen(const std::string& utf8);
// Writes a file whose name is given in UTF-8 (any script, not only the code page's).
bool write_file_named(const std::string& utf8_path, const std::string& content);
bool file_exists(const std::string& path);
void remove_file(const std::string& path);

// ---- the simulated player
struct Player {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
    std::string scenario;     // scenario file path
    std::string log;          // log file path
    std::string install_dir;  // where it writes winamp.m3u
};

// Starts fake_player.exe with files named after `name` in kWorkDir and waits (up to
// `timeout_ms`) for its window. False when it did not come up.
bool start_player(Player& player, const std::string& name, const std::string& install_dir,
                  DWORD timeout_ms = 20000);
void stop_player(Player& player);   // WM_CLOSE, bounded wait, then terminate
void set_scenario(const Player& player, const std::string& text);
void clear_log(const Player& player);
std::vector<std::string> read_log(const Player& player);
void set_caption(const Player& player, const std::string& caption);       // ANSI
void set_wide_caption(const Player& player, const std::wstring& caption);  // UTF-16

// The player most tests talk to: started on first use with install directory
// kInstallDir, kept running across tests, stopped at the end of the program.
Player& shared_player();
void stop_shared_player();   // for the cases that need no player at all

// Sets the scenario, clears the log, calls `export_name` and returns the messages the
// player received during the call.
struct PlayerCall {
    ClientCall call;
    std::vector<std::string> messages;
};
PlayerCall call_with_player(const std::string& export_name, const std::string& scenario,
                            const std::string& params = "abc",
                            uint32_t version = kClientVersion7);

// The messages of one lookup of the current entry that ends in the playlist file: the
// position, the entry's path (not answered), the playlist written, the settings directory
// (not named) in UTF-16 and in ANSI.
std::vector<std::string> playlist_file_lookup(int position = 0);

// ---- the player's uninstall entry (HKLM\...\Uninstall\Winamp, value UninstallString)
bool set_uninstall_string(const std::string& value);                  // REG_SZ
bool set_uninstall_raw(DWORD type, const void* data, DWORD size);     // any type
void delete_uninstall_value();
void delete_uninstall_key();
// The entry every test starts from: "C:\zeltest\wa\uninst.exe" in double quotes.
bool set_default_uninstall_entry();

// ---- processes
// Starts `command_line` (application name taken from it); false when it cannot start.
bool start_process(const std::string& command_line, PROCESS_INFORMATION* out);
void end_process(PROCESS_INFORMATION& process);
// Polls for `path` to exist, up to `timeout_ms`.
bool wait_for_file(const std::string& path, DWORD timeout_ms);

}  // namespace wine_test
