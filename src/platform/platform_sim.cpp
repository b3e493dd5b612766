// The seam in the native build: real POSIX files, and a simulated desktop for the
// window manager, the registry and process creation.
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wctype.h>

#include <cerrno>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>

#include "platform/heap_buffer.h"
#include "platform/platform.h"
#include "platform/sim.h"

namespace zel::sim {
// Internals, shared with the seam functions further down this file.

struct Window {
    std::string className;
    std::string caption;
    RequestHandler onRequest;
    std::u16string wideCaption;  // set by SetWideCaption; else made from caption
    bool hasWideCaption = false;
    std::uint32_t answerMs = 0;
    bool hung = false;
    bool elevated = false;
};

struct Value {
    std::uint32_t type;
    std::string bytes;
};

struct Desktop {
    std::vector<Window> windows;
    std::vector<Message> messages;
    std::vector<std::string> copyData;
    std::vector<std::uint32_t> sendWaits;
    std::uint32_t clock = 0;
    std::uint32_t fileSearchMs = 0;
    int fileSearches = 0;
    std::map<std::string, std::map<std::string, Value>> registry;
    std::map<std::string, std::map<std::string, Value>> registry32;  // the 32-bit view only
    std::vector<std::uint32_t> keyRights;
    std::vector<StartedProcess> processes;
    std::vector<bool> fileShareWrite;
    int openFiles = 0;
    int openKeys = 0;
    int heapBlocks = 0;
    int openProcesses = 0;
    bool conversionsFail = false;
    bool doubleByte = false;
    std::map<std::uint64_t, std::string> playerMemory;
    bool playerOpenable = true;
    std::vector<std::pair<std::uint64_t, std::size_t>> memoryReads;
};

Desktop& TheDesktop() {
    static Desktop desktop;
    return desktop;
}

// Window handles are 1-based indices, so that null stays "no window".
void* HandleOf(int index) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(index + 1)); }
int IndexOf(void* handle) { return static_cast<int>(reinterpret_cast<std::uintptr_t>(handle)) - 1; }

constexpr std::uint32_t kMessageUser = 0x0400;
constexpr std::uint32_t kMessageCopyData = 0x004A;
constexpr std::uint32_t kMessageCommand = 0x0111;


int AddWindow(const std::string& className, const std::string& caption, RequestHandler onRequest) {
    auto& windows = TheDesktop().windows;
    windows.push_back({className, caption, std::move(onRequest), {}, false, 0, false});
    return static_cast<int>(windows.size()) - 1;
}

// Code page 1252: bytes 0x80 to 0x9F; every other byte is the code point of its value
// (the five bytes 1252 leaves undefined map to the C1 controls, as Windows maps them).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t Cp1252ToWide(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : char16_t{byte};
}

char Cp1252FromWide(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == unit) return static_cast<char>(0x80 + i);
    }
    return '?';
}

void SetWideCaption(int window, const std::u16string& caption) {
    Window& w = TheDesktop().windows.at(static_cast<std::size_t>(window));
    w.wideCaption = caption;
    w.hasWideCaption = true;
    w.caption.clear();
    // A surrogate pair is one character: one "?" for it.
    for (std::size_t i = 0; i < caption.size(); ++i) {
        const bool pair = caption[i] >= 0xD800 && caption[i] <= 0xDBFF && i + 1 < caption.size();
        w.caption += Cp1252FromWide(caption[i]);
        if (pair) ++i;
    }
}

void SetConversionsFail(bool failing) { TheDesktop().conversionsFail = failing; }
void SetDoubleByteCodePage(bool doubleByte) { TheDesktop().doubleByte = doubleByte; }

void RemoveAllWindows() { TheDesktop().windows.clear(); }

const std::vector<Message>& Messages() { return TheDesktop().messages; }
void ClearMessages() { TheDesktop().messages.clear(); }
const std::vector<std::string>& CopyDataPayloads() { return TheDesktop().copyData; }

void SetAnswerTime(int window, std::uint32_t milliseconds) {
    TheDesktop().windows.at(static_cast<std::size_t>(window)).answerMs = milliseconds;
}
void SetHung(int window, bool hung) {
    TheDesktop().windows.at(static_cast<std::size_t>(window)).hung = hung;
}
void SetElevated(int window, bool elevated) {
    TheDesktop().windows.at(static_cast<std::size_t>(window)).elevated = elevated;
}
void AdvanceClock(std::uint32_t milliseconds) { TheDesktop().clock += milliseconds; }
void SetFileSearchTime(std::uint32_t milliseconds) { TheDesktop().fileSearchMs = milliseconds; }
int FileSearches() { return TheDesktop().fileSearches; }
const std::vector<std::uint32_t>& SendWaits() { return TheDesktop().sendWaits; }

void SetRegistryValue(const std::string& key, const std::string& name, std::uint32_t type,
                      const std::string& bytes, bool only32) {
    (only32 ? TheDesktop().registry32 : TheDesktop().registry)[key][name] = {type, bytes};
}

void RemoveRegistryKey(const std::string& key) {
    TheDesktop().registry.erase(key);
    TheDesktop().registry32.erase(key);
}

const std::vector<std::uint32_t>& KeyOpenRights() { return TheDesktop().keyRights; }
const std::vector<StartedProcess>& StartedProcesses() { return TheDesktop().processes; }
int OpenFiles() { return TheDesktop().openFiles; }
int OpenProcesses() { return TheDesktop().openProcesses; }

void SetPlayerMemory(std::uint64_t address, const std::string& bytes) {
    TheDesktop().playerMemory[address] = bytes;
}
void SetPlayerProcessOpenable(bool openable) { TheDesktop().playerOpenable = openable; }
const std::vector<std::pair<std::uint64_t, std::size_t>>& PlayerMemoryReads() {
    return TheDesktop().memoryReads;
}

std::u16string WidePath(const std::string& path) {
    std::u16string out;
    for (std::size_t i = 0; i < path.size();) {
        const auto lead = static_cast<unsigned char>(path[i]);
        const std::size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::uint32_t c = n == 1 ? lead : lead & (0x7F >> n);
        for (std::size_t k = 1; k < n && i + k < path.size(); ++k) {
            c = (c << 6) | (static_cast<unsigned char>(path[i + k]) & 0x3F);
        }
        i += n;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string PosixPath(const char16_t* path) {
    std::string out;
    for (std::size_t i = 0; path[i] != 0; ++i) {
        std::uint32_t c = path[i];
        if (c >= 0xD800 && c <= 0xDBFF && path[i + 1] >= 0xDC00 && path[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (path[++i] - 0xDC00);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}
int OpenKeys() { return TheDesktop().openKeys; }
int HeapBlocks() { return TheDesktop().heapBlocks; }
const std::vector<bool>& FileOpenShareWrite() { return TheDesktop().fileShareWrite; }

void Reset() {
    Desktop& desktop = TheDesktop();
    const int files = desktop.openFiles, keys = desktop.openKeys, blocks = desktop.heapBlocks,
              processes = desktop.openProcesses;
    desktop = Desktop{};
    // Counts of what is still held carry over, so a leak shows in the next test too.
    desktop.openFiles = files;
    desktop.openKeys = keys;
    desktop.heapBlocks = blocks;
    desktop.openProcesses = processes;
}

}  // namespace zel::sim

namespace zel::platform {

using sim::TheDesktop;

WindowHandle FindWindowByClass(const char* className) {
    const auto& windows = TheDesktop().windows;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (windows[i].className == className) return sim::HandleOf(static_cast<int>(i));
    }
    return nullptr;
}

// Every simulated window belongs to the one player process.
bool SameProcess(WindowHandle a, WindowHandle b) {
    const int count = static_cast<int>(TheDesktop().windows.size());
    const int first = sim::IndexOf(a);
    const int second = sim::IndexOf(b);
    return a != nullptr && b != nullptr && first >= 0 && first < count && second >= 0 && second < count;
}

bool WindowHasClass(WindowHandle window, const char* className) {
    const auto& windows = TheDesktop().windows;
    const int index = sim::IndexOf(window);
    return window != nullptr && index >= 0 && index < static_cast<int>(windows.size()) &&
           windows[static_cast<std::size_t>(index)].className == className;
}

namespace {

// Delivers a message within the wait given, as SendMessageTimeout does.
// An elevated window takes only menu commands: the rest is refused before it arrives.
SendOutcome Deliver(WindowHandle window, const sim::Message& message, std::uint32_t timeoutMs,
                    std::int32_t* result) {
    auto& desktop = TheDesktop();
    *result = 0;
    desktop.sendWaits.push_back(timeoutMs);
    const int index = sim::IndexOf(window);
    if (window == nullptr || index < 0 || index >= static_cast<int>(desktop.windows.size())) {
        return SendOutcome::TimedOut;
    }
    const sim::Window& target = desktop.windows[static_cast<std::size_t>(index)];
    if (target.elevated && message.message != sim::kMessageCommand) return SendOutcome::Refused;
    if (target.hung) return SendOutcome::TimedOut;
    desktop.messages.push_back(message);
    if (target.answerMs > timeoutMs) {
        desktop.clock += timeoutMs;
        return SendOutcome::TimedOut;
    }
    const std::uint32_t start = desktop.clock;
    desktop.clock += target.answerMs;
    if (message.message == sim::kMessageUser && target.onRequest) {
        // Called on a copy: the handler may make a call of its own, which sends again.
        const sim::RequestHandler onRequest = target.onRequest;
        *result = onRequest(static_cast<std::int32_t>(message.lParam),
                            static_cast<std::int32_t>(message.wParam));
    }
    // What a nested call took passed within this wait; past the wait, it ran out.
    if (desktop.clock - start > timeoutMs) {
        *result = 0;
        return SendOutcome::TimedOut;
    }
    return SendOutcome::Answered;
}

}  // namespace

SendOutcome SendWindowMessageTimed(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam, std::uint32_t timeoutMs, std::int32_t* result) {
    return Deliver(window, {sim::IndexOf(window), message, wParam, lParam}, timeoutMs, result);
}

SendOutcome SendWindowCopyDataTimed(WindowHandle window, std::uintptr_t kind, const void* bytes,
                                    std::uint32_t size, std::uint32_t timeoutMs,
                                    std::int32_t* result) {
    auto& desktop = TheDesktop();
    const std::size_t logged = desktop.messages.size();
    const auto slot = static_cast<std::intptr_t>(desktop.copyData.size());
    const SendOutcome handled = Deliver(window, {sim::IndexOf(window), sim::kMessageCopyData, kind, slot},
                                 timeoutMs, result);
    // The bytes are kept for a message that reached the window, handled in time or not.
    if (desktop.messages.size() != logged) {
        desktop.copyData.emplace_back(static_cast<const char*>(bytes), size);
    }
    return handled;
}

std::uint32_t TickMilliseconds() {
    return TheDesktop().clock;
}

int ReadWindowCaption(WindowHandle window, char* buffer, int maxCount) {
    if (maxCount <= 0) return 0;
    buffer[0] = '\0';
    const auto& windows = TheDesktop().windows;
    const int index = sim::IndexOf(window);
    if (window == nullptr || index < 0 || index >= static_cast<int>(windows.size())) return 0;
    const std::string& caption = windows[static_cast<std::size_t>(index)].caption;
    const std::size_t n = std::min(caption.size(), static_cast<std::size_t>(maxCount - 1));
    std::memcpy(buffer, caption.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

int ReadWindowCaptionWide(WindowHandle window, char16_t* buffer, int maxCount) {
    if (maxCount <= 0) return 0;
    buffer[0] = 0;
    const auto& windows = TheDesktop().windows;
    const int index = sim::IndexOf(window);
    if (window == nullptr || index < 0 || index >= static_cast<int>(windows.size())) return 0;
    const sim::Window& w = windows[static_cast<std::size_t>(index)];
    std::u16string caption = w.wideCaption;
    if (!w.hasWideCaption) {
        for (const char c : w.caption) caption += sim::Cp1252ToWide(static_cast<unsigned char>(c));
    }
    const std::size_t n = std::min(caption.size(), static_cast<std::size_t>(maxCount - 1));
    std::copy(caption.begin(), caption.begin() + static_cast<std::ptrdiff_t>(n), buffer);
    buffer[n] = 0;
    return static_cast<int>(n);
}

int AnsiToWide(const char* text, int size, char16_t* out, int capacity) {
    if (TheDesktop().conversionsFail || size <= 0 || size > capacity) return 0;
    for (int i = 0; i < size; ++i) out[i] = sim::Cp1252ToWide(static_cast<unsigned char>(text[i]));
    return size;
}

int WideToAnsi(const char16_t* text, int count, char* out, int capacity) {
    if (TheDesktop().conversionsFail || count <= 0) return 0;
    int n = 0;
    for (int i = 0; i < count; ++i) {
        const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < count &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (out != nullptr) {
            if (n >= capacity) return 0;
            out[n] = sim::Cp1252FromWide(text[i]);
        }
        ++n;
        if (pair) ++i;
    }
    return n;
}

bool IsAnsiLeadByte(unsigned char byte) {
    return TheDesktop().doubleByte && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

void LowerCaseWide(char16_t* text, std::size_t count) {
    // The C library's simple lower-case mappings for all of Unicode, from a UTF-8 locale
    // of its own (the process's locale is left alone). Surrogates, and so the characters
    // past U+FFFF, stay as they are: the system's call maps units one at a time too.
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    for (std::size_t i = 0; i < count; ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDFFF) continue;
        if (unicode == static_cast<locale_t>(0)) {  // no such locale here: ASCII alone
            if (unit >= u'A' && unit <= u'Z') text[i] = static_cast<char16_t>(unit + 32);
            continue;
        }
        const auto lower = static_cast<std::uint32_t>(towlower_l(unit, unicode));
        if (lower <= 0xFFFF) text[i] = static_cast<char16_t>(lower);
    }
}

bool OpenLocalMachineKey(const char* subKey, std::uint32_t access, RegistryKey* key) {
    auto& desktop = TheDesktop();
    desktop.keyRights.push_back(access);
    // A key of the 32-bit view alone is named by a mark in front of its path.
    const bool view32 = (access & kKeyView32) != 0;
    if (view32 && desktop.registry32.count(subKey) != 0) {
        *key = new std::string(std::string("32:") + subKey);
    } else if (desktop.registry.count(subKey) != 0) {
        *key = new std::string(subKey);
    } else {
        return false;
    }
    ++desktop.openKeys;
    return true;
}

ValueStatus QueryRegistryValue(RegistryKey key, const char* name, std::uint32_t* type, void* buffer,
                               std::uint32_t* size) {
    const std::string& path = *static_cast<std::string*>(key);
    auto& desktop = TheDesktop();
    const auto& values = path.compare(0, 3, "32:") == 0 ? desktop.registry32[path.substr(3)]
                                                       : desktop.registry[path];
    auto found = values.find(name);
    if (found == values.end()) return ValueStatus::Missing;
    const sim::Value& value = found->second;
    *type = value.type;
    const auto needed = static_cast<std::uint32_t>(value.bytes.size());
    if (buffer == nullptr) {
        *size = needed;
        return ValueStatus::Ok;
    }
    if (*size < needed) {
        *size = needed;
        return ValueStatus::MoreData;
    }
    std::memcpy(buffer, value.bytes.data(), needed);
    *size = needed;
    return ValueStatus::Ok;
}

void CloseRegistryKey(RegistryKey key) {
    delete static_cast<std::string*>(key);
    --TheDesktop().openKeys;
}

bool StartProcess(const char* applicationName, char* commandLine) {
    TheDesktop().processes.push_back({applicationName ? applicationName : "",
                                      commandLine ? commandLine : ""});
    return true;
}

ProcessHandle OpenWindowProcess(WindowHandle window) {
    auto& desktop = TheDesktop();
    const int index = sim::IndexOf(window);
    if (window == nullptr || index < 0 || index >= static_cast<int>(desktop.windows.size()) ||
        !desktop.playerOpenable) {
        return nullptr;
    }
    ++desktop.openProcesses;
    return &desktop.playerMemory;
}

bool ReadProcessBytes(ProcessHandle, std::uint64_t address, void* buffer, std::size_t count) {
    // Memory is mapped in whole pages: the pages that hold a region's bytes are readable,
    // zeros where no region's bytes stand; any other page is unmapped.
    auto& desktop = TheDesktop();
    desktop.memoryReads.emplace_back(address, count);
    const auto& memory = desktop.playerMemory;
    auto* out = static_cast<unsigned char*>(buffer);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t at = address + i;
        const std::uint64_t page = at / kMemoryPage;
        bool mapped = false;
        out[i] = 0;
        for (const auto& [start, bytes] : memory) {
            if (bytes.empty()) continue;
            if (page >= start / kMemoryPage && page <= (start + bytes.size() - 1) / kMemoryPage) {
                mapped = true;
            }
            if (at >= start && at - start < bytes.size()) {
                out[i] = static_cast<unsigned char>(bytes[static_cast<std::size_t>(at - start)]);
            }
        }
        if (!mapped) return false;
    }
    return true;
}

void CloseProcess(ProcessHandle) { --TheDesktop().openProcesses; }

namespace {
// The file calls take a path whole up to kLongestFilePath characters, as on Windows.
// "Z:\..." names the POSIX path from the root, as Wine's drive Z: does.
std::string FilePath(const char16_t* widePath) {
    std::size_t length = 0;
    while (widePath[length] != 0) ++length;
    if (length > kLongestFilePath) return std::string();
    std::string path = sim::PosixPath(widePath);
    if (path.compare(0, 3, "Z:\\") == 0) {
        path.erase(0, 2);
        std::replace(path.begin(), path.end(), '\\', '/');
    }
    return path;
}
}  // namespace

// A file handle is the descriptor plus one, so that null stays "not opened".
FileHandle OpenFileForReading(const char16_t* widePath, bool shareWrite) {
    auto& desktop = TheDesktop();
    const std::string posix = FilePath(widePath);
    const char* path = posix.c_str();
    struct stat info;
    if (stat(path, &info) != 0 || S_ISDIR(info.st_mode)) return nullptr;
    const int fd = open(path, O_RDONLY);
    if (fd < 0) return nullptr;
    desktop.fileShareWrite.push_back(shareWrite);
    ++desktop.openFiles;
    return reinterpret_cast<FileHandle>(static_cast<std::intptr_t>(fd) + 1);
}

namespace {
int DescriptorOf(FileHandle file) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(file) - 1);
}
}  // namespace

bool ReadFileBytes(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* bytesRead) {
    ssize_t n;
    do {
        n = read(DescriptorOf(file), buffer, count);
    } while (n < 0 && errno == EINTR);
    *bytesRead = n > 0 ? static_cast<std::uint32_t>(n) : 0;
    return n >= 0;
}

bool GetFileSize64(FileHandle file, std::int64_t* size) {
    struct stat info;
    if (fstat(DescriptorOf(file), &info) != 0) return false;
    *size = static_cast<std::int64_t>(info.st_size);
    return true;
}

bool SeekFileTo(FileHandle file, std::int64_t offset) {
    return lseek(DescriptorOf(file), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

void CloseFile(FileHandle file) {
    close(DescriptorOf(file));
    --TheDesktop().openFiles;
}

SearchResult SearchFirstFile(const char16_t* widePath) {
    SearchResult result;
    ++TheDesktop().fileSearches;
    TheDesktop().clock += TheDesktop().fileSearchMs;
    const std::string posix = FilePath(widePath);
    const char* path = posix.c_str();
    struct stat info;
    if (path[0] == '\0' || stat(path, &info) != 0) return result;
    result.found = true;
    result.isDirectory = S_ISDIR(info.st_mode);
    std::tm local{};
    const std::time_t written = info.st_mtime;
    if (localtime_r(&written, &local) != nullptr) {
        const int year = local.tm_year + 1900;
        result.dosTimeValid = year >= 1980 && year <= 2107;
    }
    return result;
}

void* AllocateMemory(std::size_t size) {
    void* block = std::malloc(size);
    if (block != nullptr) ++TheDesktop().heapBlocks;
    return block;
}

void FreeMemory(void* block) {
    if (block == nullptr) return;
    std::free(block);
    --TheDesktop().heapBlocks;
}

}  // namespace zel::platform
