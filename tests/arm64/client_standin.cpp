// A chat client's side of $dll() calls, for builds that have no C runtime (Debian has none
// for ARM64 Windows): Win32 calls only. For each call it loads the DLL, calls LoadDll with
// a record whose keep flag is set, calls the export with a 900-byte buffer that ends at an
// inaccessible page (a write past it faults at once), unloads the DLL and prints one line:
//
//   call <export> result=<n> keep=<byte 16> before=<the record passed, 32 bytes in hex>
//        record=<the record afterwards> untouched=<0|1> tail=<0|1> answer=<hex>
//
// (one line; "untouched=1" when no byte of the buffer changed, "tail=1" when a byte after
// the answer's terminating zero did, the answer is the buffer up to its first zero), or
// "missing <export>" when GetProcAddress finds no such name. A fault inside the DLL ends
// the process, so a call without its line is a call that did not return.
//
//   client_standin.exe <calls file>
//
// The calls file: the DLL's path on the first line, then one call a line, the export's
// name and optionally a tab and the text the buffer holds (default "abc"). A line
// ">path<tab>text" instead writes a file of that one line (ended in CR LF), such as the
// player's playlist file, before the calls that follow.
#include <windows.h>

namespace {

constexpr DWORD kDataSize = 900;
constexpr int kRecordSize = 32;
constexpr int kKeepByte = 2 * sizeof(void*);
constexpr unsigned char kDataFill = 0xA5;    // never zero: writes past the answer show
constexpr unsigned char kRecordFill = 0x5A;  // the record's fields the DLL must not touch
constexpr DWORD kClientVersion = (69u << 16) | 7u;  // 7.69, a client of today

using LoadDllFunction = void (*)(void*);
using Command = int (*)(HWND, HWND, char*, char*, BOOL, BOOL);

// Output collected in one buffer and written at the end of each call.
struct Output {
    char text[4 * kDataSize];
    DWORD used = 0;
};

void put(Output& out, const char* text) {
    while (*text != 0 && out.used < sizeof out.text) out.text[out.used++] = *text++;
}

void put_number(Output& out, int value) {
    char digits[16];
    wsprintfA(digits, "%d", value);
    put(out, digits);
}

void put_hex(Output& out, const unsigned char* bytes, DWORD size) {
    static const char kDigits[] = "0123456789abcdef";
    for (DWORD i = 0; i < size && out.used + 2 <= sizeof out.text; ++i) {
        out.text[out.used++] = kDigits[bytes[i] >> 4];
        out.text[out.used++] = kDigits[bytes[i] & 15];
    }
}

void flush(Output& out) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.text, out.used, &written, nullptr);
    out.used = 0;
}

void fill(unsigned char* bytes, DWORD size, unsigned char value) {
    for (DWORD i = 0; i < size; ++i) bytes[i] = value;
}

// The program's one argument: the command line after the program's own (quoted) name.
char* first_argument() {
    char* line = GetCommandLineA();
    const char end = *line == '"' ? '"' : ' ';
    if (*line == '"') ++line;
    while (*line != 0 && *line != end) ++line;
    if (*line != 0) ++line;
    while (*line == ' ') ++line;
    char* argument = line;
    if (*argument == '"') {
        ++argument;
        for (line = argument; *line != 0 && *line != '"'; ++line) {
        }
        *line = 0;
    }
    return argument;
}

// The whole file, zero-terminated, or null.
char* read_all(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    const DWORD size = GetFileSize(file, nullptr);
    char* text = static_cast<char*>(
        VirtualAlloc(nullptr, size + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD got = 0;
    const bool ok = text != nullptr && ReadFile(file, text, size, &got, nullptr) && got == size;
    CloseHandle(file);
    if (!ok) return nullptr;
    text[size] = 0;
    return text;
}

// Cuts the next line (CR LF or LF ended) off `*text`; null at the end.
char* next_line(char** text) {
    char* line = *text;
    if (*line == 0) return nullptr;
    char* end = line;
    while (*end != 0 && *end != '\n') ++end;
    *text = *end == 0 ? end : end + 1;
    if (end > line && end[-1] == '\r') --end;
    *end = 0;
    return line;
}

// The data buffer: the last 900 bytes of a page whose successor is inaccessible.
unsigned char* guarded_buffer() {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const DWORD page = system.dwPageSize;
    unsigned char* base = static_cast<unsigned char*>(
        VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old = 0;
    if (base == nullptr || !VirtualProtect(base + page, page, PAGE_NOACCESS, &old)) return nullptr;
    return base + page - kDataSize;
}

// One $dll() call from load to unload; false when the DLL does not load at all.
bool call_once(const char* dll, const char* name, const char* params, unsigned char* data,
               Output& out) {
    HMODULE module = LoadLibraryA(dll);
    if (module == nullptr) {
        put(out, "cannot load ");
        put(out, dll);
        put(out, ": error ");
        put_number(out, static_cast<int>(GetLastError()));
        put(out, "\n");
        return false;
    }
    unsigned char record[kRecordSize];
    fill(record, kRecordSize, kRecordFill);
    const DWORD version = kClientVersion;
    for (int i = 0; i < 4; ++i) record[i] = static_cast<unsigned char>(version >> (8 * i));
    fill(record + sizeof(void*), sizeof(void*), 0);  // no main window
    fill(record + kKeepByte, 4, 0);
    record[kKeepByte] = 1;
    unsigned char passed[kRecordSize];
    for (int i = 0; i < kRecordSize; ++i) passed[i] = record[i];
    FARPROC load = GetProcAddress(module, "LoadDll");
    if (load != nullptr) reinterpret_cast<LoadDllFunction>(reinterpret_cast<void*>(load))(record);

    FARPROC command = GetProcAddress(module, name);
    if (command == nullptr) {
        put(out, "missing ");
        put(out, name);
        put(out, "\n");
        FreeLibrary(module);
        return true;
    }
    fill(data, kDataSize, kDataFill);
    DWORD length = 0;
    for (; params[length] != 0 && length + 1 < kDataSize; ++length) data[length] = params[length];
    data[length] = 0;
    unsigned char before[kDataSize];
    for (DWORD i = 0; i < kDataSize; ++i) before[i] = data[i];
    char parms[kDataSize];
    parms[0] = 0;
    const int result = reinterpret_cast<Command>(reinterpret_cast<void*>(command))(
        nullptr, nullptr, reinterpret_cast<char*>(data), parms, FALSE, TRUE);
    FreeLibrary(module);

    DWORD answer = 0;
    while (answer < kDataSize && data[answer] != 0) ++answer;
    bool untouched = true;
    bool tail = false;
    for (DWORD i = 0; i < kDataSize; ++i) {
        if (data[i] != before[i]) {
            untouched = false;
            if (i > answer) tail = true;
        }
    }
    put(out, "call ");
    put(out, name);
    put(out, " result=");
    put_number(out, result);
    put(out, " keep=");
    put_number(out, record[kKeepByte]);
    put(out, " before=");
    put_hex(out, passed, kRecordSize);
    put(out, " record=");
    put_hex(out, record, kRecordSize);
    put(out, untouched ? " untouched=1" : " untouched=0");
    put(out, tail ? " tail=1" : " tail=0");
    put(out, " answer=");
    put_hex(out, data, answer);
    put(out, "\n");
    return true;
}

// Writes `text` and CR LF as the whole of the file at `path`.
void write_line_file(const char* path, const char* text) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD length = 0;
    while (text[length] != 0) ++length;
    DWORD written = 0;
    WriteFile(file, text, length, &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
}

}  // namespace

extern "C" void StandinStart() {
    Output out;
    char* text = read_all(first_argument());
    unsigned char* data = guarded_buffer();
    char* dll = text != nullptr ? next_line(&text) : nullptr;
    if (dll == nullptr || data == nullptr) {
        put(out, "usage: client_standin.exe <calls file: the DLL's path, then one export a line>\n");
        flush(out);
        ExitProcess(2);
    }
    while (char* line = next_line(&text)) {
        if (*line == 0) continue;
        const char* params = "abc";
        for (char* c = line; *c != 0; ++c) {
            if (*c == '\t') {
                *c = 0;
                params = c + 1;
                break;
            }
        }
        if (*line == '>') {
            write_line_file(line + 1, params);
            continue;
        }
        const bool loaded = call_once(dll, line, params, data, out);
        flush(out);
        if (!loaded) ExitProcess(1);
    }
    ExitProcess(0);
}
