// The simulated desktop behind the native build: player windows, the registry and
// process creation live in this process, so unit tests can set them up and see exactly
// what the library did. Files are real files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace zel::sim {

struct Message {
    int window;  // index of the simulated window that received it
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// Answers a request message (lParam: code, wParam: argument). It may make a call of its
// own, as a script that the client runs while a call waits does: the time that call takes
// passes within the wait, and a wait it outlasts has run out.
using RequestHandler = std::function<std::int32_t(std::int32_t code, std::int32_t argument)>;

// Adds a top-level window; the first added is the one a class lookup finds first.
// Returns its index.
int AddWindow(const std::string& className, const std::string& caption = "",
              RequestHandler onRequest = nullptr);
void RemoveAllWindows();
// Gives a window a caption in UTF-16; its ANSI caption becomes what the code page makes
// of it ("?" for what it lacks).
void SetWideCaption(int window, const std::u16string& caption);

// The simulated ANSI code page is 1252 (Western European, as on Wine). While failing is
// set, every conversion to or from it fails, as a broken system conversion would.
void SetConversionsFail(bool failing);
// While double-byte is set, the code page's lead bytes are those of code page 932
// (0x81-0x9F and 0xE0-0xFC); the conversions stay 1252's.
void SetDoubleByteCodePage(bool doubleByte);

// Every message delivered, in order. A WM_COPYDATA message is logged with its kind as
// wParam and, as lParam, the index of its bytes in CopyDataPayloads().
const std::vector<Message>& Messages();
void ClearMessages();
const std::vector<std::string>& CopyDataPayloads();

// Simulated time, the tick count the library reads. A window takes its answer time to
// handle each message; one it cannot handle within the wait it is given is delivered all
// the same (it is handled later) and the whole wait passes. A window whose thread counts
// as hung gets nothing, and a send to it returns at once.
void SetAnswerTime(int window, std::uint32_t milliseconds);
void SetHung(int window, bool hung);
// An elevated window (a player run as administrator) takes menu commands from the
// library; its requests and copy data are refused by the system, unseen by the window.
void SetElevated(int window, bool elevated);
void AdvanceClock(std::uint32_t milliseconds);
// The wait each send allowed, in order, whether or not it delivered.
const std::vector<std::uint32_t>& SendWaits();

// A value in both views of the registry (a key that is not redirected, or 32-bit
// Windows), or, where only32 is set, only in the 32-bit view (as a 32-bit installer's key
// on 64-bit Windows). The library counts as a 64-bit process: its own view is the other.
void SetRegistryValue(const std::string& key, const std::string& name, std::uint32_t type,
                      const std::string& bytes, bool only32 = false);
void RemoveRegistryKey(const std::string& key);
// Access rights asked for by every key open, in order.
const std::vector<std::uint32_t>& KeyOpenRights();

struct StartedProcess {
    std::string applicationName;
    std::string commandLine;
};
const std::vector<StartedProcess>& StartedProcesses();

// The memory of the process that owns the player's windows: bytes at an address, on
// pages that are readable whole (zeros around the bytes). Reading any other page fails,
// as reading unmapped memory does. While not openable, the process
// cannot be opened for reading (a player running elevated or as another user).
void SetPlayerMemory(std::uint64_t address, const std::string& bytes);
void SetPlayerProcessOpenable(bool openable);
// Every read of the player's memory, in order: address and byte count.
const std::vector<std::pair<std::uint64_t, std::size_t>>& PlayerMemoryReads();

// Handles and memory blocks the library holds right now; 0 after every command.
int OpenProcesses();
int OpenFiles();
int OpenKeys();
int HeapBlocks();
// Sharing asked for by every file opened, in order (true: writing shared too).
const std::vector<bool>& FileOpenShareWrite();

// Each directory search takes this long on the simulated clock (a sleeping disk); the
// number of searches made since the last reset.
void SetFileSearchTime(std::uint32_t milliseconds);
int FileSearches();

// A POSIX path (UTF-8) as the UTF-16 path the file calls take, and back. The file calls
// also take "Z:\" followed by a POSIX path from the root, with backslashes, as Wine does.
std::u16string WidePath(const std::string& path);
std::string PosixPath(const char16_t* path);

// Back to an empty desktop: no windows, registry, processes or records.
void Reset();

}  // namespace zel::sim
