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
//   playlist_dir=<dir>             write winamp.m3u there instead of the install directory
//                                  (a player that keeps it in its settings directory)
//
// Requests answered with the address of a text in this process's memory, as the player
// answers an entry's path (211, 214), its title (212, 213) or its settings directory
// (337, 338). The text is given in UTF-8 and stored zero-terminated, in the code page for
// 211, 212 and 337, in UTF-16 for the others, always below 4 GiB as a 32-bit player's memory is:
//
//   text.<code>.<arg>=<text>       in memory that goes on after the text
//   edge_text.<code>.<arg>=<text>  ending at the last byte of a readable page, the next
//                                  page unmapped
//   high_text.<code>.<arg>=<text>  at an address of 2 GiB or more (64-bit builds only)
//   unmapped.<code>.<arg>=1        the address of memory that is not mapped at all
//
// Every answer travels as a 32-bit player's does: its 32 bits, sign-extended.
//
// How the player behaves, for the tests of a player that is slow, hung or busy in a dialog:
//
//   delay_ms=<n>                   handle every message n milliseconds late
//   hang=1                         stop reading messages (within a tenth of a second, or
//                                  inside the next one that comes) for as long as the line
//                                  stays in the scenario
//   dialog.<id>=<ms>               on menu command id, run a modal message loop for ms
//                                  milliseconds before returning, as a dialog does: the
//                                  loop still answers the messages sent meanwhile
//
// Log file, one line per message, appended and closed before the message returns (the
// sender waits for the reply, so the line is on disk when its SendMessage returns):
//
//   REQ <code> <arg>     WM_USER (0x400): lParam, wParam
//   CMD <id>             WM_COMMAND (0x111): wParam
//   COPY <kind> <bytes> <text>
//                        WM_COPYDATA (0x4A): dwData, cbData, and the payload's UTF-16 units
//                        but the last (its terminating zero) as UTF-8
//   END <id>             a command's modal loop (dialog.<id>) has ended
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

// A region of `size` bytes (a multiple of 64 KiB) at or above `from`, below 4 GiB, whose
// next page is not mapped; null when none could be had.
char* low_region(uintptr_t from, size_t size) {
    const uintptr_t top = sizeof(void*) == 4 ? 0x7FF00000u : 0xFFF00000u;
    for (uintptr_t at = from; at + size < top; at += 0x100000) {
        void* p = VirtualAlloc(reinterpret_cast<void*>(at), size, MEM_RESERVE | MEM_COMMIT,
                               PAGE_READWRITE);
        if (p == nullptr) continue;
        MEMORY_BASIC_INFORMATION info = {};
        VirtualQuery(static_cast<char*>(p) + size, &info, sizeof info);
        if (info.State == MEM_FREE) return static_cast<char*>(p);
        VirtualFree(p, 0, MEM_RELEASE);
    }
    return nullptr;
}

constexpr size_t kRegion = 0x40000;  // room for a text of 32,767 characters and more

// The text in the encoding the request answers in, zero-terminated.
std::string stored_text(int code, const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                          &wide[0], static_cast<int>(wide.size()));
    wide.resize(units > 0 ? units : 0);
    if (code == 211 || code == 212 || code == 337) {
        std::string ansi(wide.size() * 2 + 1, '\0');
        const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                              &ansi[0], static_cast<int>(ansi.size()), nullptr, nullptr);
        ansi.resize(bytes > 0 ? bytes : 0);
        return ansi + '\0';
    }
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2) +
           std::string(2, '\0');
}

// Places a text as one of the text settings says, and answers its address.
bool text_answer(int code, int arg, LRESULT* answer) {
    // Low addresses: 32-bit Wine keeps the space above 512 MiB reserved for itself.
    static char* texts = low_region(0x02000000, kRegion);
    static char* edge = low_region(0x03000000, kRegion);
    static char* high = sizeof(void*) == 8 ? low_region(0x80000000u, kRegion) : nullptr;
    const std::string key = "." + std::to_string(code) + "." + std::to_string(arg);
    std::string value;
    char* at = nullptr;
    if (scenario_value("text" + key, &value) && texts != nullptr) {
        at = texts + 0x10;  // not on a page boundary
    } else if (scenario_value("edge_text" + key, &value) && edge != nullptr) {
        at = edge + kRegion - stored_text(code, value).size();
    } else if (scenario_value("high_text" + key, &value) && high != nullptr) {
        at = high + 0x10;
    } else if (scenario_value("unmapped" + key, &value)) {
        char* gone = low_region(0x04000000, 0x10000);
        if (gone == nullptr) return false;
        VirtualFree(gone, 0, MEM_RELEASE);
        *answer = static_cast<LRESULT>(static_cast<int>(reinterpret_cast<uintptr_t>(gone)));
        return true;
    } else {
        return false;
    }
    const std::string stored = stored_text(code, value);
    if (stored.size() > kRegion - 0x10) return false;
    std::memcpy(at, stored.data(), stored.size());
    *answer = static_cast<LRESULT>(static_cast<int>(reinterpret_cast<uintptr_t>(at)));
    return true;
}

LRESULT answer_request(int code, int arg) {
    append_log("REQ " + std::to_string(code) + " " + std::to_string(arg));
    std::string source;
    if (code == 120 && scenario_value("playlist_source", &source) && !source.empty()) {
        std::string target = g_install_dir;
        scenario_value("playlist_dir", &target);
        if (!target.empty() && target.back() != '\\') target += '\\';
        target += "winamp.m3u";
        CopyFileA(source.c_str(), target.c_str(), FALSE);
    }
    LRESULT text = 0;
    if (text_answer(code, arg, &text)) return text;
    std::string value;
    if (!scenario_value("request." + std::to_string(code) + "." + std::to_string(arg), &value)) {
        return 0;
    }
    // Values are 32-bit signed; parse wide so INT_MIN and INT_MAX both come through.
    const long long parsed = std::strtoll(value.c_str(), nullptr, 10);
    return static_cast<LRESULT>(static_cast<int>(static_cast<unsigned int>(parsed)));
}

// The payload read as UTF-16 up to its last unit (the zero it should end with).
void log_copy_data(const COPYDATASTRUCT* copy) {
    const int units = copy->lpData == nullptr ? 0 : static_cast<int>(copy->cbData / 2);
    std::string text(static_cast<size_t>(units) * 3 + 1, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, static_cast<const wchar_t*>(copy->lpData),
                                      units > 0 ? units - 1 : 0, &text[0],
                                      static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    append_log("COPY " + std::to_string(static_cast<unsigned long long>(copy->dwData)) + " " +
               std::to_string(copy->cbData) + " " + text);
}

int scenario_number(const std::string& key) {
    std::string value;
    return scenario_value(key, &value) ? std::atoi(value.c_str()) : 0;
}

// A hung player reads no message while the scenario says so.
void hang_while_told() {
    while (scenario_number("hang") != 0) Sleep(20);
}

// A slow or hung player: late for every message, or not reading any while hung.
void behave_before_answering() {
    const int delay = scenario_number("delay_ms");
    if (delay > 0) Sleep(static_cast<DWORD>(delay));
    hang_while_told();
}

// A dialog's modal loop: messages sent to the player meanwhile are handled from here.
void run_modal_loop(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (DWORD spent = 0; spent < milliseconds; spent = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - spent, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

void run_command(unsigned int id) {
    append_log("CMD " + std::to_string(id));
    const int dialog = scenario_number("dialog." + std::to_string(id));
    if (dialog <= 0) return;
    run_modal_loop(static_cast<DWORD>(dialog));
    append_log("END " + std::to_string(id));
}

LRESULT CALLBACK player_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_USER:
            behave_before_answering();
            return answer_request(static_cast<int>(lparam), static_cast<int>(wparam));
        case WM_COMMAND:
            behave_before_answering();
            run_command(static_cast<unsigned int>(wparam));
            return 0;
        case WM_TIMER:
            hang_while_told();
            return 0;
        case WM_COPYDATA:
            behave_before_answering();
            log_copy_data(reinterpret_cast<const COPYDATASTRUCT*>(lparam));
            return TRUE;
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

    // Looks at the scenario now and then, so that a player told to hang does so without
    // being sent anything first.
    SetTimer(window, 1, 100, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
