// The operating-system calls the library needs, and nothing more.
//
// Everything above this header is portable: the Windows build implements it with the
// real Win32 calls (platform_win32.cpp), the native build with POSIX files and an
// in-process simulation of the player window, the registry and process creation
// (platform_sim.cpp), which unit tests set up and inspect through sim.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel::platform {

// The longest path the file system and process creation take, zero byte included.
constexpr std::size_t kMaxPath = 260;

// ---- Window manager -------------------------------------------------------------

using WindowHandle = void*;

// The first top-level window of this class, or null. No title is matched.
WindowHandle FindWindowByClass(const char* className);

// True when both windows exist and belong to one process.
bool SameProcess(WindowHandle a, WindowHandle b);

// True when the window exists and is of this class.
bool WindowHasClass(WindowHandle window, const char* className);

// How a timed send ended.
enum class SendOutcome {
    Answered,  // handled in time: the result is the window's
    TimedOut,  // the wait ran out (the window still handles the message later), the
               // system counts the window's thread as hung (then without waiting at all),
               // or the window is gone
    Refused,   // the system let it through to no one: the window's process runs with
               // higher rights (as administrator), and takes only menu commands from ours
};

// Sends a message and waits at most timeoutMs for the window to handle it
// (SendMessageTimeout with SMTO_ABORTIFHUNG). The result is the window's 32-bit answer
// when it was answered, else 0.
SendOutcome SendWindowMessageTimed(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam, std::uint32_t timeoutMs, std::int32_t* result);

// The same for a WM_COPYDATA message: `size` bytes at `bytes`, tagged with `kind`
// (dwData), copied by the system into the window's process. No sender window is named.
SendOutcome SendWindowCopyDataTimed(WindowHandle window, std::uintptr_t kind, const void* bytes,
                             std::uint32_t size, std::uint32_t timeoutMs, std::int32_t* result);

// Copies at most maxCount - 1 bytes of the window's caption into buffer and ends it with
// a zero byte; returns the number of bytes copied (0 for a null window).
int ReadWindowCaption(WindowHandle window, char* buffer, int maxCount);

// The same in UTF-16 (GetWindowTextW): at most maxCount - 1 units and a zero.
int ReadWindowCaptionWide(WindowHandle window, char16_t* buffer, int maxCount);

// ---- Time -----------------------------------------------------------------------

// Milliseconds since the system started, wrapping at 2^32 (GetTickCount, which every
// Windows has): differences taken as unsigned 32-bit numbers are right across the wrap.
std::uint32_t TickMilliseconds();

// ---- Text -----------------------------------------------------------------------

// Converts size bytes of text in the system's ANSI code page to UTF-16, as the system
// does (bytes it cannot map become its replacement). Returns the units written; 0 when
// the conversion failed or they do not fit in capacity.
int AnsiToWide(const char* text, int size, char16_t* out, int capacity);

// Converts count units of UTF-16 to the ANSI code page, as the system does (characters
// the code page lacks become its default character). Returns the bytes written; with out
// null, the bytes needed. 0 when the conversion failed or the bytes do not fit.
int WideToAnsi(const char16_t* text, int count, char* out, int capacity);

// True when the byte is the first of a two-byte character in the ANSI code page (the
// double-byte code pages 932, 936, 949 and 950 have such lead bytes; 1252 has none).
bool IsAnsiLeadByte(unsigned char byte);

// Lower-cases count units of UTF-16 in place as the system does (CharLowerBuffW): each
// unit that has a simple lower-case mapping, in any script (Latin with its accents,
// Greek, Cyrillic, ...), becomes its lower case; every other unit stays as it is. No
// locale takes part, so the result is the same on every machine.
void LowerCaseWide(char16_t* text, std::size_t count);

// ---- Registry -------------------------------------------------------------------

using RegistryKey = void*;

constexpr std::uint32_t kKeyQueryValue = 0x0001;  // KEY_QUERY_VALUE
constexpr std::uint32_t kKeyView32 = 0x0200;      // KEY_WOW64_32KEY: the 32-bit view
constexpr std::uint32_t kRegistryString = 1;      // REG_SZ

// Opens, never creates, a key under HKEY_LOCAL_MACHINE with the given access rights
// (which may name the view of the registry to open it in).
bool OpenLocalMachineKey(const char* subKey, std::uint32_t access, RegistryKey* key);

enum class ValueStatus { Ok, MoreData, Missing };

// Reads a value as RegQueryValueExA does: with buffer null or too small, *size is set to
// the value's length in bytes and MoreData (or Ok for a null buffer) is returned.
ValueStatus QueryRegistryValue(RegistryKey key, const char* name, std::uint32_t* type,
                               void* buffer, std::uint32_t* size);

void CloseRegistryKey(RegistryKey key);

// ---- Processes ------------------------------------------------------------------

// Starts a program at normal priority, inheriting no handles, with the caller's
// environment and current directory and an empty startup record. Both handles of the
// new process are closed at once; it is not waited for. False if it could not start.
bool StartProcess(const char* applicationName, char* commandLine);

// ---- The player's memory --------------------------------------------------------

using ProcessHandle = void*;

// The process that owns the window, opened for reading its memory and nothing else.
// Null when there is no such window or the process cannot be opened so (a process that
// runs elevated or as another user).
ProcessHandle OpenWindowProcess(WindowHandle window);

// Copies count bytes at address in the process's memory into buffer. False, with nothing
// to trust in buffer, when any of those bytes cannot be read.
bool ReadProcessBytes(ProcessHandle process, std::uint64_t address, void* buffer,
                      std::size_t count);

void CloseProcess(ProcessHandle process);

// The granule of readable memory: a range that stays within one page is read whole or
// not at all.
constexpr std::size_t kMemoryPage = 4096;

// ---- Files ----------------------------------------------------------------------
// Paths are UTF-16, so that files whose names the ANSI code page cannot spell are found,
// and are taken whole up to kLongestFilePath characters: on Windows a path of kMaxPath
// characters or more is named in its extended-length form ("\\?\C:\...").

// The longest path, in characters, that the file calls take whole; a longer one names
// no file.
constexpr std::size_t kLongestFilePath = 1023;

using FileHandle = void*;

// Opens an existing file for reading only. Other processes may read it meanwhile, and
// write it too where shareWrite is set. Null if it cannot be opened.
FileHandle OpenFileForReading(const char16_t* path, bool shareWrite);

// Reads up to count bytes; false on a read error. *bytesRead is 0 at the end of file.
bool ReadFileBytes(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* bytesRead);

bool GetFileSize64(FileHandle file, std::int64_t* size);

bool SeekFileTo(FileHandle file, std::int64_t offset);

void CloseFile(FileHandle file);

// What a directory search for a path finds: its first match, if any.
struct SearchResult {
    bool found = false;
    bool isDirectory = false;
    // The match's last-write time, in local time, fits a DOS date and time (1980-2107).
    bool dosTimeValid = false;
};

SearchResult SearchFirstFile(const char16_t* path);

}  // namespace zel::platform
