// The seam on Windows: each function is the Win32 call it stands for.
#include <windows.h>

#include "platform/heap_buffer.h"
#include "platform/long_path.h"
#include "platform/platform.h"

namespace zel::platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 is Windows' wide text");

WindowHandle FindWindowByClass(const char* className) {
    return FindWindowA(className, nullptr);
}

bool SameProcess(WindowHandle a, WindowHandle b) {
    DWORD first = 0;
    DWORD second = 0;
    GetWindowThreadProcessId(static_cast<HWND>(a), &first);
    GetWindowThreadProcessId(static_cast<HWND>(b), &second);
    return first != 0 && first == second;
}

bool WindowHasClass(WindowHandle window, const char* className) {
    char name[64];
    const int length = GetClassNameA(static_cast<HWND>(window), name, sizeof name);
    if (length <= 0) return false;
    int i = 0;
    while (i < length && className[i] != '\0' && name[i] == className[i]) ++i;
    return i == length && className[i] == '\0';
}

SendOutcome SendWindowMessageTimed(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam, std::uint32_t timeoutMs, std::int32_t* result) {
    DWORD_PTR answer = 0;
    SetLastError(ERROR_SUCCESS);
    const LRESULT handled =
        SendMessageTimeoutA(static_cast<HWND>(window), message, static_cast<WPARAM>(wParam),
                            static_cast<LPARAM>(lParam), SMTO_ABORTIFHUNG, timeoutMs, &answer);
    *result = handled != 0 ? static_cast<std::int32_t>(answer) : 0;
    if (handled != 0) return SendOutcome::Answered;
    // User interface privilege isolation: a process of higher integrity takes no messages
    // but menu commands (and a few more) from ours.
    return GetLastError() == ERROR_ACCESS_DENIED ? SendOutcome::Refused : SendOutcome::TimedOut;
}

SendOutcome SendWindowCopyDataTimed(WindowHandle window, std::uintptr_t kind, const void* bytes,
                                    std::uint32_t size, std::uint32_t timeoutMs,
                                    std::int32_t* result) {
    COPYDATASTRUCT copy;
    copy.dwData = static_cast<ULONG_PTR>(kind);
    copy.cbData = size;
    copy.lpData = const_cast<void*>(bytes);
    return SendWindowMessageTimed(window, WM_COPYDATA, 0, reinterpret_cast<std::intptr_t>(&copy),
                                  timeoutMs, result);
}

std::uint32_t TickMilliseconds() {
    return GetTickCount();
}

int ReadWindowCaption(WindowHandle window, char* buffer, int maxCount) {
    if (maxCount <= 0) return 0;
    buffer[0] = '\0';
    if (window == nullptr) return 0;
    const int n = GetWindowTextA(static_cast<HWND>(window), buffer, maxCount);
    return n > 0 ? n : 0;
}

int ReadWindowCaptionWide(WindowHandle window, char16_t* buffer, int maxCount) {
    if (maxCount <= 0) return 0;
    buffer[0] = 0;
    if (window == nullptr) return 0;
    const int n = GetWindowTextW(static_cast<HWND>(window), reinterpret_cast<wchar_t*>(buffer),
                                 maxCount);
    return n > 0 ? n : 0;
}

int AnsiToWide(const char* text, int size, char16_t* out, int capacity) {
    if (size <= 0) return 0;
    const int n = MultiByteToWideChar(CP_ACP, 0, text, size, reinterpret_cast<wchar_t*>(out),
                                      capacity);
    return n > 0 ? n : 0;
}

int WideToAnsi(const char16_t* text, int count, char* out, int capacity) {
    if (count <= 0) return 0;
    const int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text), count,
                                      out, out != nullptr ? capacity : 0, nullptr, nullptr);
    return n > 0 ? n : 0;
}

bool IsAnsiLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

void LowerCaseWide(char16_t* text, std::size_t count) {
    // The length is a DWORD: a longer text is lowered in parts.
    constexpr std::size_t kPart = 0x10000000;
    for (std::size_t done = 0; done < count; done += kPart) {
        const std::size_t part = count - done < kPart ? count - done : kPart;
        CharLowerBuffW(reinterpret_cast<wchar_t*>(text + done), static_cast<DWORD>(part));
    }
}

bool OpenLocalMachineKey(const char* subKey, std::uint32_t access, RegistryKey* key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, access, &opened) != ERROR_SUCCESS) {
        return false;
    }
    *key = opened;
    return true;
}

ValueStatus QueryRegistryValue(RegistryKey key, const char* name, std::uint32_t* type,
                               void* buffer, std::uint32_t* size) {
    DWORD valueType = 0;
    DWORD valueSize = *size;
    const LONG status = RegQueryValueExA(static_cast<HKEY>(key), name, nullptr, &valueType,
                                         static_cast<BYTE*>(buffer), &valueSize);
    *type = valueType;
    *size = valueSize;
    if (status == ERROR_SUCCESS) return ValueStatus::Ok;
    if (status == ERROR_MORE_DATA) return ValueStatus::MoreData;
    return ValueStatus::Missing;
}

void CloseRegistryKey(RegistryKey key) {
    RegCloseKey(static_cast<HKEY>(key));
}

bool StartProcess(const char* applicationName, char* commandLine) {
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    if (!CreateProcessA(applicationName, commandLine, nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

ProcessHandle OpenWindowProcess(WindowHandle window) {
    if (window == nullptr) return nullptr;
    DWORD id = 0;
    GetWindowThreadProcessId(static_cast<HWND>(window), &id);
    if (id == 0) return nullptr;
    return OpenProcess(PROCESS_VM_READ, FALSE, id);
}

bool ReadProcessBytes(ProcessHandle process, std::uint64_t address, void* buffer,
                      std::size_t count) {
    if (address > static_cast<std::uintptr_t>(-1) - count) return false;  // past the space
    SIZE_T read = 0;
    return ReadProcessMemory(static_cast<HANDLE>(process),
                             reinterpret_cast<LPCVOID>(static_cast<std::uintptr_t>(address)),
                             buffer, count, &read) &&
           read == count;
}

void CloseProcess(ProcessHandle process) {
    CloseHandle(static_cast<HANDLE>(process));
}

namespace {

// Room for a path of kLongestFilePath characters made full, its prefix and a zero.
constexpr DWORD kFullPathCapacity = kLongestFilePath + 1;
constexpr std::size_t kSystemPathCapacity = kFullPathCapacity + 8;

// The name the file calls are given for a path: the path itself below MAX_PATH
// characters; a longer one made full (GetFullPathNameW resolves "/", "." and ".." as the
// short form would have them resolved) and then in its extended-length form, so that the
// whole path is reached and never only its first MAX_PATH - 1 characters. Null when it
// cannot be named so.
const wchar_t* SystemPathName(const char16_t* path, char16_t (&name)[kSystemPathCapacity]) {
    std::size_t length = 0;
    while (path[length] != 0) ++length;
    if (length < MAX_PATH) return reinterpret_cast<const wchar_t*>(path);
    if (length > kLongestFilePath) return nullptr;
    wchar_t full[kFullPathCapacity];
    const DWORD made =
        GetFullPathNameW(reinterpret_cast<const wchar_t*>(path), kFullPathCapacity, full, nullptr);
    if (made == 0 || made >= kFullPathCapacity) return nullptr;
    if (ExtendedLengthPath(reinterpret_cast<const char16_t*>(full), name, kSystemPathCapacity) == 0) {
        return nullptr;
    }
    return reinterpret_cast<const wchar_t*>(name);
}

}  // namespace

FileHandle OpenFileForReading(const char16_t* path, bool shareWrite) {
    char16_t buffer[kSystemPathCapacity];
    const wchar_t* name = SystemPathName(path, buffer);
    if (name == nullptr) return nullptr;
    const DWORD share = FILE_SHARE_READ | (shareWrite ? FILE_SHARE_WRITE : 0);
    HANDLE file = CreateFileW(name, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

bool ReadFileBytes(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* bytesRead) {
    DWORD read = 0;
    const BOOL ok = ReadFile(static_cast<HANDLE>(file), buffer, count, &read, nullptr);
    *bytesRead = ok ? read : 0;
    return ok != FALSE;
}

bool GetFileSize64(FileHandle file, std::int64_t* size) {
    LARGE_INTEGER value;
    if (!GetFileSizeEx(static_cast<HANDLE>(file), &value)) return false;
    *size = value.QuadPart;
    return true;
}

bool SeekFileTo(FileHandle file, std::int64_t offset) {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    return SetFilePointerEx(static_cast<HANDLE>(file), distance, nullptr, FILE_BEGIN) != FALSE;
}

void CloseFile(FileHandle file) {
    CloseHandle(static_cast<HANDLE>(file));
}

SearchResult SearchFirstFile(const char16_t* path) {
    SearchResult result;
    char16_t buffer[kSystemPathCapacity];
    const wchar_t* name = SystemPathName(path, buffer);
    if (name == nullptr) return result;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(name, &found);
    if (search == INVALID_HANDLE_VALUE) return result;
    FindClose(search);
    result.found = true;
    result.isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    FILETIME local;
    WORD dosDate = 0;
    WORD dosTime = 0;
    result.dosTimeValid = FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) &&
                          FileTimeToDosDateTime(&local, &dosDate, &dosTime);
    return result;
}

}  // namespace zel::platform

namespace zel::platform {

void* AllocateMemory(std::size_t size) {
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void FreeMemory(void* block) {
    if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace zel::platform
