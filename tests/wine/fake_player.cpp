// A stand-in for the Winamp player: a real window of class "Winamp v1.x" in its own
// process, answering requests from a scenario file and logging every message it gets.
//
//   fake_player.exe --scenario <file> --log <file> --install-dir <dir> [--title <caption>]
//
// Scenario file, re-read on every request so a test can change it while the player runs.
// One setting per line; blank lines and lines starting with '#' are ignored:
//
//   request.<code>.<arg>=<int32>   answer to WM_USER with lParam = code, wParam = arg
//                                  (both signed decimal); requests not listed answer 0
//   playlist_source=<path>         on request 120, copy this file byte for byte to
//                                  <install-dir>\winamp.m3u, replacing it; without the
//                                  setting (or with an empty path) winamp.m3u is left alone
//
// Log file, one line per message, appended and closed before the message returns (the
// sender waits for the reply, so the line is on disk when its SendMessage returns):
//
//   REQ <code> <arg>     WM_USER (0x400): lParam, wParam
//   CMD <id>             WM_COMMAND (0x111): wParam
//
// The caption is "Winamp 2.91" unless --title says otherwise; tests change it from outside
// with SetWindowTextA. WM_CLOSE ends the process; menu command 40001 (close) is only logged.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "win_files.h"

namespace {

using wine_test::read_file;

std::string g_scenario;
std::string g_log;
std::string g_install_dir;

void append_log(const std::string& line) {
    HANDLE file = CreateFileA(g_log.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// The value of `key` in the scenario, if the scenario has that line.
bool scenario_value(const std::string& key, std::string* value) {
    const std::string content = read_file(g_scenario);
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        if (line.compare(0, equals, key) == 0 && equals == key.size()) {
            *value = line.substr(equals + 1);
            return true;
        }
    }
    return false;
}

LRESULT answer_request(int code, int arg) {
    append_log("REQ " + std::to_string(code) + " " + std::to_string(arg));
    std::string source;
    if (code == 120 && scenario_value("playlist_source", &source) && !source.empty()) {
        std::string target = g_install_dir;
        if (!target.empty() && target.back() != '\\') target += '\\';
        target += "winamp.m3u";
        CopyFileA(source.c_str(), target.c_str(), FALSE);
    }
    std::string value;
    if (!scenario_value("request." + std::to_string(code) + "." + std::to_string(arg), &value)) {
        return 0;
    }
    // Values are 32-bit signed; parse wide so INT_MIN and INT_MAX both come through.
    const long long parsed = std::strtoll(value.c_str(), nullptr, 10);
    return static_cast<LRESULT>(static_cast<int>(static_cast<unsigned int>(parsed)));
}

LRESULT CALLBACK player_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_USER:
            return answer_request(static_cast<int>(lparam), static_cast<int>(wparam));
        case WM_COMMAND:
            append_log("CMD " + std::to_string(static_cast<unsigned int>(wparam)));
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wparam, lparam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string title = "Winamp 2.91";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--scenario") g_scenario = argv[i + 1];
        else if (option == "--log") g_log = argv[i + 1];
        else if (option == "--install-dir") g_install_dir = argv[i + 1];
        else if (option == "--title") title = argv[i + 1];
    }
    if (g_scenario.empty() || g_log.empty() || g_install_dir.empty()) {
        std::fprintf(stderr,
                     "usage: fake_player --scenario <file> --log <file> --install-dir <dir>"
                     " [--title <caption>]\n");
        return 2;
    }

    // A Unicode window, as today's player has: its caption holds any character, also
    // those the ANSI code page lacks.
    const wchar_t* const kClass = L"Winamp v1.x";
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = player_window;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = kClass;
    if (RegisterClassW(&window_class) == 0) {
        std::fprintf(stderr, "fake_player: RegisterClassW failed, error %lu\n", GetLastError());
        return 1;
    }
    wchar_t wide_title[512] = {};
    MultiByteToWideChar(CP_ACP, 0, title.c_str(), -1, wide_title, 511);
    HWND window = CreateWindowExW(0, kClass, wide_title, WS_OVERLAPPEDWINDOW, 0, 0, 275, 116,
                                  nullptr, nullptr, window_class.hInstance, nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "fake_player: CreateWindowExW failed, error %lu\n", GetLastError());
        return 1;
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
