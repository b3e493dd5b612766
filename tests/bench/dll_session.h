// The DLL kept loaded for many calls, as the bench and soak hosts use it: the module,
// its LoadDll and the command exports by name, and one call on a 900-byte buffer.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zel::bench {

using CommandFn = int(WINAPI*)(HWND, HWND, char*, char*, BOOL, BOOL);
using LoadDllFn = void(WINAPI*)(void*);

// The client's data buffer size.
constexpr size_t kDataSize = 900;

// Calls LoadDll with a fresh load record whose keep-loaded flag is set; true when the
// DLL cleared it.
bool CallLoadDll(HMODULE module);

// Calls one command with a 900-byte buffer holding the argument (empty by default) and
// returns the answer as text; result receives the command's return value.
std::string CallCommand(CommandFn fn, int* result, const char* argument = "");

// Exported command names (every export but LoadDll).
std::vector<std::string> CommandNames(HMODULE module);

// Seconds from the performance counter.
double Now();

}  // namespace zel::bench
