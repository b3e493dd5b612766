#include "harness.h"

#include <gtest/gtest.h>

namespace wine_test {

const char* const kWorkDir = "C:\\zeltest\\";
const char* const kFixtureDir = "C:\\zelfix\\";
const char* const kInstallDir = "C:\\zeltest\\wa\\";

namespace {
const char* const kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Winamp";
const char* const kUninstallValue = "UninstallString";
const char* const kPlayerClass = "Winamp v1.x";
}  // namespace

std::string bin_dir() {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string path = module;
    return path.substr(0, path.find_last_of('\\') + 1);
}

std::string dll_path() { return bin_dir() + "zel.winamp.dll"; }

ClientCall call(const std::string& export_name, const std::string& params, uint32_t version) {
    return client_call(dll_path().c_str(), export_name.c_str(), params, version);
}

bool make_dirs(const std::string& path) {
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            const std::string part = path.substr(0, i);
            if (!CreateDirectoryA(part.c_str(), nullptr) &&
                GetLastError() != ERROR_ALREADY_EXISTS) {
                return false;
            }
        }
    }
    return true;
}

std::wstring widen(const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                      &wide[0], static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return wide;
}

bool write_file_named(const std::string& utf8_path, const std::string& content) {
    HANDLE file = CreateFileW(widen(utf8_path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                              nullptr) && written == content.size();
    CloseHandle(file);
    return ok;
}

bool file_exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void remove_file(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

bool start_process(const std::string& command_line, PROCESS_INFORMATION* out) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string line = command_line;
    return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, out) != 0;
}

void end_process(PROCESS_INFORMATION& process) {
    if (process.hProcess != nullptr) {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process.hProcess, 0);
            WaitForSingleObject(process.hProcess, 5000);
        }
        CloseHandle(process.hProcess);
    }
    if (process.hThread != nullptr) CloseHandle(process.hThread);
    process = PROCESS_INFORMATION{};
}

bool wait_for_file(const std::string& path, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    while (!file_exists(path)) {
        if (GetTickCount() - start > timeout_ms) return false;
        Sleep(20);
    }
    return true;
}

namespace {

struct WindowSearch {
    DWORD process_id;
    HWND found;
};

BOOL CALLBACK match_window(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (owner == search->process_id && lstrcmpA(name, kPlayerClass) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

bool start_player(Player& player, const std::string& name, const std::string& install_dir,
                  DWORD timeout_ms) {
    make_dirs(kWorkDir);
    make_dirs(install_dir);
    player.scenario = std::string(kWorkDir) + name + ".scenario";
    player.log = std::string(kWorkDir) + name + ".log";
    player.install_dir = install_dir;
    write_file(player.scenario, "");
    write_file(player.log, "");
    // A backslash right before a closing quote would escape it: pass the directory
    // without its trailing one (the player puts it back).
    std::string dir_argument = install_dir;
    while (!dir_argument.empty() && dir_argument.back() == '\\') dir_argument.pop_back();
    const std::string command = "\"" + bin_dir() + "fake_player.exe\" --scenario \"" +
                                player.scenario + "\" --log \"" + player.log +
                                "\" --install-dir \"" + dir_argument + "\"";
    if (!start_process(command, &player.process)) return false;
    const DWORD start = GetTickCount();
    WindowSearch search = {player.process.dwProcessId, nullptr};
    while (search.found == nullptr) {
        EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) break;
        if (WaitForSingleObject(player.process.hProcess, 0) != WAIT_TIMEOUT ||
            GetTickCount() - start > timeout_ms) {
            end_process(player.process);
            return false;
        }
        Sleep(20);
    }
    player.window = search.found;
    return true;
}

void stop_player(Player& player) {
    if (player.process.hProcess == nullptr) return;
    if (player.window != nullptr) PostMessageA(player.window, WM_CLOSE, 0, 0);
    WaitForSingleObject(player.process.hProcess, 5000);
    end_process(player.process);
    player.window = nullptr;
}

void set_scenario(const Player& player, const std::string& text) {
    // Each scenario written is new to the player, which then starts afresh from it.
    static unsigned written = 0;
    write_file(player.scenario, text + "\n# scenario " + std::to_string(++written) + "\n");
}

void clear_log(const Player& player) { write_file(player.log, ""); }

std::vector<std::string> read_log(const Player& player) { return read_lines(player.log); }

void set_caption(const Player& player, const std::string& caption) {
    SetWindowTextA(player.window, caption.c_str());
}

void set_wide_caption(const Player& player, const std::wstring& caption) {
    SetWindowTextW(player.window, caption.c_str());
}

std::vector<std::string> playlist_file_lookup(int position) {
    return {"REQ 125 0", "REQ 214 " + std::to_string(position), "REQ 120 0", "REQ 338 0",
            "REQ 337 0"};
}

namespace {
Player g_shared;
}

Player& shared_player() {
    if (g_shared.process.hProcess == nullptr ||
        WaitForSingleObject(g_shared.process.hProcess, 0) != WAIT_TIMEOUT) {
        end_process(g_shared.process);
        if (!start_player(g_shared, "player", kInstallDir)) {
            ADD_FAILURE() << "the simulated player did not come up";
        }
    }
    return g_shared;
}

void stop_shared_player() { stop_player(g_shared); }

PlayerCall call_with_player(const std::string& export_name, const std::string& scenario,
                            const std::string& params, uint32_t version) {
    Player& player = shared_player();
    set_scenario(player, scenario);
    clear_log(player);
    PlayerCall result;
    result.call = call(export_name, params, version);
    result.messages = read_log(player);
    return result;
}

namespace {

// The player's installer is a 32-bit program: its entry stands in the registry's 32-bit
// view, which 64-bit programs reach only by asking for it.
bool with_uninstall_key(REGSAM access, bool create, HKEY* key) {
    access |= KEY_WOW64_32KEY;
    if (create) {
        return RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, access,
                               nullptr, key, nullptr) == ERROR_SUCCESS;
    }
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, access, key) == ERROR_SUCCESS;
}

}  // namespace

bool set_uninstall_raw(DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (!with_uninstall_key(KEY_SET_VALUE, true, &key)) return false;
    const LONG status = RegSetValueExA(key, kUninstallValue, 0, type,
                                       static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool set_uninstall_string(const std::string& value) {
    return set_uninstall_raw(REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void delete_uninstall_value() {
    HKEY key = nullptr;
    if (!with_uninstall_key(KEY_SET_VALUE, false, &key)) return;
    RegDeleteValueA(key, kUninstallValue);
    RegCloseKey(key);
}

void delete_uninstall_key() {
    // The 64-bit view too, where an earlier run may have left an entry.
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, view, 0);
    }
}

bool set_default_uninstall_entry() {
    return set_uninstall_string("\"" + std::string(kInstallDir) + "uninst.exe\"");
}

namespace {

// Sets up the shared state once for the whole program and takes it all down at the end:
// the player process and the registry entry the tests wrote.
class HarnessEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        make_dirs(kWorkDir);
        make_dirs(kInstallDir);
        delete_uninstall_key();
        ASSERT_TRUE(set_default_uninstall_entry()) << "cannot write the uninstall entry";
    }
    void TearDown() override {
        stop_shared_player();
        delete_uninstall_key();
    }
};

::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new HarnessEnvironment);

}  // namespace

}  // namespace wine_test
