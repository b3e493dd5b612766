// A stand-in for the Winamp player: a real window of class "Winamp v1.x" (and its playlist
// editor, class "Winamp PE") in its own process, which keeps a play state and a playlist
// and answers as the real player does (/work/shared/player-facts.md has the facts), and
// logs every message it gets.
//
//   fake_player.exe --scenario <file> --log <file> --install-dir <dir> [--title <caption>]
//
// The scenario file is read on every message; whenever its text has changed, the player
// starts afresh from it. One setting per line, "key=value"; "#" lines are comments.
//
// The player's state:
//   entry=<path>[|<title>]       a playlist entry, in order (UTF-8); a title is what the
//                                player read of the file (#EXTINF in its playlist files)
//   entries=<n>                  n more entries: C:\zeltest\list\<i>.mp3, "Artist <i> - Title <i>"
//   state=stopped|playing|paused (default stopped); the entry at `position` is the one loaded
//   position=<n>                 the list position, from 0 (default 0)
//   track_seconds=<n>            every track's length (default 225); -1: streams, which
//                                cannot seek
//   play_ms=<n>                  the play position while playing or paused (default 0)
//   shuffle=1, stop_after=1, rating=<0-5>
//   version=<n>                  request 0's answer (default 0x5092, 5.9.2; hex or decimal);
//                                requests newer than it answer 1, as an older player does
//   version_text=<text>          request 1's text (default "5.9.2 Build 10042"; empty: none)
//   entry_texts=0                the entries' paths and titles are not answered by address
//                                (211-214 answer 1, as a player that lacks them)
//   m3u8=0                       request 120 writes winamp.m3u alone (an older player)
//   playlist_dir=<dir>           where request 120 writes (default: the install directory)
//   playlist_source=<path>       request 120 copies this file as winamp.m3u instead (and
//                                removes Winamp.m3u8): a fixture with odd bytes
// Request 120 writes both files (Winamp.m3u in the code page, "?" for what it cannot spell;
// Winamp.m3u8 in UTF-8 with a byte-order mark) when the scenario gives entries or the
// list is not empty; otherwise it leaves the directory alone.
//
// Odd answers, before anything the state would answer:
//   request.<code>.<arg>=<int32>   answer to WM_USER (lParam = code, wParam = arg)
//   text.<code>.<arg>=<text>       answer the address of this text in the player's memory
//                                  (the code page for 211, 212, 337, 1; else UTF-16),
//                                  below 4 GiB as a 32-bit player's memory is
//   edge_text.<code>.<arg>=<text>  the same, ending at the last byte of a readable page
//   high_text.<code>.<arg>=<text>  the same, at 2 GiB or more (64-bit builds only)
//   unmapped.<code>.<arg>=1        the address of memory that is not mapped at all
// The directory requests (337, 338) answer only a text the scenario gives.
//
// How the player behaves:
//   delay_ms=<n>                   handle every message n milliseconds late
//   hang=1                         stop reading messages while the line stays
//   dialog.<id>=<ms>               on menu command id, run a modal loop for ms milliseconds
//
// Log file, one line per message, written before the message returns:
//   REQ <code> <arg>        WM_USER;   CMD <id>   WM_COMMAND;   END <id>  a dialog's end
//   COPY <kind> <bytes> <text>   WM_COPYDATA to the main window (UTF-16 text as UTF-8)
//   PE INSERT <index> <text>     the playlist editor's insert (copy data 114)
//   PE DELETE <index>            the playlist editor's delete (WM_USER, wParam 104)
//   STATE <playing|paused|stopped> <entry>   after a change of what plays (entry from 0)
// WM_CLOSE ends the process; menu command 40001 (close) is only logged.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "win_files.h"

namespace {

using wine_test::read_file;

std::string g_scenario;
std::string g_log;
std::string g_install_dir;
HWND g_editor = nullptr;

// ---- the scenario ----------------------------------------------------------------

std::string g_text;                                       // the scenario as last applied
std::vector<std::pair<std::string, std::string>> g_lines;  // its settings, in order

bool setting(const std::string& key, std::string* value) {
    for (const auto& [k, v] : g_lines) {
        if (k == key) {
            *value = v;
            return true;
        }
    }
    return false;
}

long long number(const std::string& key, long long fallback) {
    std::string value;
    return setting(key, &value) ? std::strtoll(value.c_str(), nullptr, 0) : fallback;
}

// ---- the state -------------------------------------------------------------------

struct Entry {
    std::wstring path;
    std::wstring title;
    int rating = 0;
};

struct State {
    std::vector<Entry> list;
    int position = 0;
    int play = 0;     // 0 stopped, 1 playing, 3 paused (request 104's bits)
    int loaded = -1;  // the entry that plays or is paused; -1 none
    int play_ms = 0;
    bool shuffle = false, repeat = false, stop_after = false;
    int volume = 128;
    std::string logged = "STATE stopped -1";  // the last STATE line
} g;

std::wstring widen(const std::string& text, UINT code_page = CP_UTF8) {
    std::wstring wide(text.size() + 1, L'\0');
    const int n = MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()),
                                      &wide[0], static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return wide;
}

std::string narrow(const std::wstring& wide, UINT code_page) {
    std::string text(wide.size() * 3 + 1, '\0');
    const int n = WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()),
                                      &text[0], static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(n > 0 ? n : 0);
    return text;
}

// The log stays open for appending: each line goes to the file's end as it is then, also
// after a test has emptied the file.
void append_log(const std::string& line) {
    static HANDLE file = CreateFileA(g_log.c_str(), FILE_APPEND_DATA,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string state_line() {
    const char* name = g.play == 1 ? "playing" : g.play == 3 ? "paused" : "stopped";
    return std::string("STATE ") + name + " " + std::to_string(g.loaded);
}

// Logs what plays whenever it changed.
void note_state() {
    const std::string line = state_line();
    if (line != g.logged) append_log(line);
    g.logged = line;
}

// Starts afresh from the scenario whenever its text has changed (it is read again only
// when its size or time of writing has).
void refresh() {
    static ULONGLONG stamp = 0;
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    if (GetFileAttributesExA(g_scenario.c_str(), GetFileExInfoStandard, &info)) {
        const ULONGLONG now = (ULONGLONG{info.ftLastWriteTime.dwHighDateTime} << 32 |
                               info.ftLastWriteTime.dwLowDateTime) ^ info.nFileSizeLow;
        if (now == stamp && !g_text.empty()) return;
        stamp = now;
    }
    const std::string text = read_file(g_scenario);
    if (text == g_text) return;
    g_text = text;
    g_lines.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
        g_lines.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
    g = State{};
    for (const auto& [key, value] : g_lines) {
        if (key != "entry") continue;
        const size_t bar = value.find('|');
        Entry e;
        e.path = widen(value.substr(0, bar));
        if (bar != std::string::npos) e.title = widen(value.substr(bar + 1));
        g.list.push_back(e);
    }
    for (long long i = 1, n = number("entries", 0); i <= n; ++i) {
        const std::wstring k = std::to_wstring(i);
        g.list.push_back({L"C:\\zeltest\\list\\" + k + L".mp3", L"Artist " + k + L" - Title " + k});
    }
    g.position = static_cast<int>(number("position", 0));
    std::string play;
    setting("state", &play);
    g.play = play == "playing" ? 1 : play == "paused" ? 3 : 0;
    g.loaded = g.play != 0 ? g.position : -1;
    g.play_ms = static_cast<int>(number("play_ms", 0));
    g.shuffle = number("shuffle", 0) != 0;
    g.stop_after = number("stop_after", 0) != 0;
    for (Entry& e : g.list) e.rating = static_cast<int>(number("rating", 0));
    g.logged = state_line();
}

int size() { return static_cast<int>(g.list.size()); }
Entry* current() { return g.position >= 0 && g.position < size() ? &g.list[g.position] : nullptr; }

void play_position() {
    if (size() == 0) return;  // the real player opens its file dialog here
    g.loaded = g.position;
    g.play = 1;
    g.play_ms = 0;
}

// ---- the player's memory ---------------------------------------------------------

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

bool answers_ansi(int code) { return code == 211 || code == 212 || code == 337 || code == 1; }

// The text in the encoding the request answers in, zero-terminated.
std::string stored_text(int code, const std::wstring& wide) {
    if (answers_ansi(code)) return narrow(wide, CP_ACP) + '\0';
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2) +
           std::string(2, '\0');
}

LRESULT address_answer(const char* at) {
    return static_cast<LRESULT>(static_cast<int>(reinterpret_cast<uintptr_t>(at)));
}

// Stores a text where the player keeps its answers (one buffer, overwritten by the next
// answer, as the real player's is) and answers its address.
LRESULT place_text(int code, const std::wstring& text) {
    static char* texts = low_region(0x02000000, kRegion);
    const std::string stored = stored_text(code, text);
    if (texts == nullptr || stored.size() > kRegion - 0x10) return 0;
    std::memcpy(texts + 0x10, stored.data(), stored.size());  // not on a page boundary
    return address_answer(texts + 0x10);
}

// A text the scenario gives for this request, placed as it says.
bool scenario_text(int code, int arg, LRESULT* answer) {
    static char* edge = low_region(0x03000000, kRegion);
    static char* high = sizeof(void*) == 8 ? low_region(0x80000000u, kRegion) : nullptr;
    const std::string key = "." + std::to_string(code) + "." + std::to_string(arg);
    std::string value;
    if (setting("text" + key, &value)) {
        *answer = place_text(code, widen(value));
        return true;
    }
    char* at = nullptr;
    if (setting("edge_text" + key, &value) && edge != nullptr) {
        at = edge + kRegion - stored_text(code, widen(value)).size();
    } else if (setting("high_text" + key, &value) && high != nullptr) {
        at = high + 0x10;
    } else if (setting("unmapped" + key, &value)) {
        char* gone = low_region(0x04000000, 0x10000);
        if (gone == nullptr) return false;
        VirtualFree(gone, 0, MEM_RELEASE);
        *answer = address_answer(gone);
        return true;
    } else {
        return false;
    }
    const std::string stored = stored_text(code, widen(value));
    std::memcpy(at, stored.data(), stored.size());
    *answer = address_answer(at);
    return true;
}

// ---- the playlist files ----------------------------------------------------------

std::string playlist_dir() {
    std::string dir = g_install_dir;
    setting("playlist_dir", &dir);
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir;
}

void write_playlists() {
    const std::string dir = playlist_dir();
    std::string source;
    if (setting("playlist_source", &source) && !source.empty()) {
        CopyFileA(source.c_str(), (dir + "winamp.m3u").c_str(), FALSE);
        DeleteFileA((dir + "Winamp.m3u8").c_str());
        return;
    }
    std::string value;
    if (size() == 0 && !setting("entry", &value) && !setting("entries", &value)) return;
    std::wstring text = L"#EXTM3U\r\n";
    const std::wstring seconds = std::to_wstring(number("track_seconds", 225));
    for (const Entry& e : g.list) {
        if (!e.title.empty()) text += L"#EXTINF:" + seconds + L"," + e.title + L"\r\n";
        text += e.path + L"\r\n";
    }
    wine_test::write_file(dir + "Winamp.m3u", narrow(text, CP_ACP));
    if (number("m3u8", 1) != 0) {
        wine_test::write_file(dir + "Winamp.m3u8", "\xEF\xBB\xBF" + narrow(text, CP_UTF8));
    } else {
        DeleteFileA((dir + "Winamp.m3u8").c_str());
    }
}

// A local playlist file (.m3u here) queued is queued as its entries.
bool queue_playlist_file(const std::wstring& path) {
    const size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || lstrcmpiW(path.c_str() + dot, L".m3u") != 0) return false;
    const std::wstring content = widen(read_file(narrow(path, CP_UTF8)));
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) end = content.size();
        const std::wstring line = content.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line[0] != L'#') g.list.push_back({line, L"", 0});
    }
    return true;
}

// ---- messages --------------------------------------------------------------------

// The version from which the player knows a request; older ones answer 1.
long long first_version(int code) {
    switch (code) {
        case 136: return 0x5061;
        case 639: case 640: return 0x5004;
        case 658: return 0x5058;
        default: return 0;
    }
}

LRESULT state_answer(int code, int arg) {
    const bool loaded = g.play != 0;
    const long long seconds = number("track_seconds", 225);
    if (number("version", 0x5092) < first_version(code)) return 1;
    switch (code) {
        case 0: return static_cast<LRESULT>(number("version", 0x5092));
        case 1: {
            std::string text = "5.9.2 Build 10042";
            setting("version_text", &text);
            return text.empty() ? 1 : place_text(code, widen(text));
        }
        case 104: return g.play;
        case 105:
            if (arg == 0) return loaded ? g.play_ms : -1;
            if (size() == 0 || seconds < 0) return -1;
            return static_cast<LRESULT>(seconds);
        case 106:
            if (!loaded || seconds < 0) return -1;
            g.play_ms = arg;
            if (arg >= seconds * 1000) {  // runs to the end, then on to the next entry
                g.position = (g.loaded + 1) % size();
                play_position();
            }
            return 0;
        case 120:
            write_playlists();
            return size() == 0 ? -1 : g.position;
        case 121:
            g.position = arg < 0 ? 0 : arg >= size() ? (size() > 0 ? size() - 1 : 0) : arg;
            return 0;
        case 122:
            if (arg == -666) return g.volume;
            g.volume = arg < 0 ? 0 : arg > 255 ? 255 : arg;
            return 0;
        case 124: return size();
        case 125: return g.position;
        case 126:
            if (size() == 0) return 0;
            return arg == 0 ? 44 : arg == 1 ? 128 : 2;
        case 136:
            if (size() == 0 || g.shuffle) return -1;
            return g.position + 1 < size() ? g.position + 1 : g.repeat ? 0 : -1;
        case 211: case 212: case 213: case 214:
            if (number("entry_texts", 1) == 0) return 1;
            if (arg < 0 || arg >= size()) return 0;
            if (code == 211 || code == 214) return place_text(code, g.list[arg].path);
            // An entry whose title the player has not read shows its file's name.
            return place_text(code, g.list[arg].title.empty()
                                        ? g.list[arg].path.substr(g.list[arg].path.find_last_of(L'\\') + 1)
                                        : g.list[arg].title);
        case 250: return g.shuffle;
        case 251: return g.repeat;
        case 252: g.shuffle = arg != 0; return 0;
        case 253: g.repeat = arg != 0; return 0;
        case 260: return arg == 1 ? reinterpret_cast<LRESULT>(g_editor) : 0;
        case 639:
            if (current() != nullptr && arg >= 0 && arg <= 5) current()->rating = arg;
            return 0;
        case 640: return current() != nullptr ? current()->rating : 0;
        case 658: return g.stop_after ? 0 : 1;  // inverted
        default: return 1;
    }
}

LRESULT answer_request(int code, int arg) {
    append_log("REQ " + std::to_string(code) + " " + std::to_string(arg));
    LRESULT text = 0;
    if (scenario_text(code, arg, &text)) return text;
    std::string value;
    if (setting("request." + std::to_string(code) + "." + std::to_string(arg), &value)) {
        if (code == 120) write_playlists();
        // Values are 32-bit signed; parse wide so INT_MIN and INT_MAX both come through.
        const long long parsed = std::strtoll(value.c_str(), nullptr, 10);
        return static_cast<LRESULT>(static_cast<int>(static_cast<unsigned int>(parsed)));
    }
    const LRESULT answer = state_answer(code, arg);
    note_state();
    // Every answer travels as a 32-bit player's does: its 32 bits, sign-extended.
    return static_cast<LRESULT>(static_cast<int>(answer));
}

void run_command(unsigned int id) {
    switch (id) {
        case 40045:  // resumes a paused track; else plays the entry at the position
            if (g.play == 3) g.play = 1;
            else play_position();
            break;
        case 40046:
            if (g.play != 0) g.play = g.play == 1 ? 3 : 1;
            break;
        case 40047:
            g.play = 0;
            g.play_ms = 0;
            break;
        case 40044:
        case 40048:
            if (size() == 0) break;
            g.position = (g.position + (id == 40048 ? 1 : size() - 1)) % size();
            if (g.play != 0) play_position();
            break;
        case 40157:  // acts only while playing
            if (g.play != 0) g.stop_after = !g.stop_after;
            break;
    }
    note_state();
}

// A hung player reads no message while the scenario says so.
void hang_while_told() {
    while (number("hang", 0) != 0) {
        Sleep(20);
        refresh();
    }
}

// A slow or hung player: late for every message, or not reading any while hung. Every
// message starts here, with the scenario brought up to date.
void behave_before_answering() {
    refresh();
    const long long delay = number("delay_ms", 0);
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

// The payload read as UTF-16 up to its zero.
std::wstring copied_text(const void* bytes, size_t units) {
    const wchar_t* text = static_cast<const wchar_t*>(bytes);
    size_t n = 0;
    while (text != nullptr && n < units && text[n] != 0) ++n;
    return std::wstring(text != nullptr ? text : L"", n);
}

LRESULT CALLBACK player_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_USER:
            behave_before_answering();
            return answer_request(static_cast<int>(lparam), static_cast<int>(wparam));
        case WM_COMMAND: {
            behave_before_answering();
            const auto id = static_cast<unsigned int>(wparam);
            append_log("CMD " + std::to_string(id));
            const long long dialog = number("dialog." + std::to_string(id), 0);
            if (dialog > 0) {
                run_modal_loop(static_cast<DWORD>(dialog));
                append_log("END " + std::to_string(id));
            }
            run_command(id);
            return 0;
        }
        case WM_TIMER:
            refresh();
            hang_while_told();
            return 0;
        case WM_COPYDATA: {
            behave_before_answering();
            const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
            // The payload should end in a zero, which the log leaves out.
            const std::wstring text = copied_text(copy->lpData, copy->cbData / 2);
            append_log("COPY " + std::to_string(static_cast<unsigned long long>(copy->dwData)) + " " +
                       std::to_string(copy->cbData) + " " + narrow(text, CP_UTF8));
            if (copy->dwData == 1100 && !text.empty() && !queue_playlist_file(text)) {
                g.list.push_back({text, L"", 0});
            }
            return TRUE;
        }
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

// The playlist editor: inserts a file before an index (the current entry stays current)
// and deletes an entry.
LRESULT CALLBACK editor_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    struct Insert {
        wchar_t file[260];
        int index;
    };
    if (message == WM_COPYDATA) {
        behave_before_answering();
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
        if (copy->dwData != 114 || copy->cbData != sizeof(Insert)) {
            append_log("PE COPY " + std::to_string(static_cast<unsigned long long>(copy->dwData)) +
                       " " + std::to_string(copy->cbData));
            return 0;
        }
        const auto* insert = static_cast<const Insert*>(copy->lpData);
        const std::wstring file = copied_text(insert->file, 260);
        append_log("PE INSERT " + std::to_string(insert->index) + " " + narrow(file, CP_UTF8));
        const int at = insert->index < 0 ? 0 : insert->index > size() ? size() : insert->index;
        g.list.insert(g.list.begin() + at, Entry{file, L"", 0});
        if (size() > 1 && at <= g.position) ++g.position;
        if (g.loaded >= at) ++g.loaded;
        note_state();
        return TRUE;
    }
    if (message == WM_USER) {
        behave_before_answering();
        if (wparam != 104) {
            append_log("PE REQ " + std::to_string(static_cast<int>(lparam)) + " " +
                       std::to_string(static_cast<int>(wparam)));
            return 0;
        }
        const int index = static_cast<int>(lparam);
        append_log("PE DELETE " + std::to_string(index));
        if (index < 0 || index >= size()) return 0;
        g.list.erase(g.list.begin() + index);
        if (index < g.position || g.position >= size()) g.position = g.position > 0 ? g.position - 1 : 0;
        if (index < g.loaded) --g.loaded;
        note_state();
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

HWND make_window(const wchar_t* name, WNDPROC procedure, const wchar_t* title) {
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = name;
    if (RegisterClassW(&window_class) == 0) return nullptr;
    return CreateWindowExW(0, name, title, WS_OVERLAPPEDWINDOW, 0, 0, 275, 116, nullptr, nullptr,
                           window_class.hInstance, nullptr);
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

    // Unicode windows, as today's player has: its caption holds any character, also
    // those the ANSI code page lacks.
    g_editor = make_window(L"Winamp PE", editor_window, L"Winamp Playlist Editor");
    HWND window = make_window(L"Winamp v1.x", player_window, widen(title, CP_ACP).c_str());
    if (window == nullptr || g_editor == nullptr) {
        std::fprintf(stderr, "fake_player: no window, error %lu\n", GetLastError());
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
