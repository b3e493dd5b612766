// Calls an export of a chat-client DLL exactly the way the mIRC client does, and reports
// everything a real client would suffer from: the result code, the answer, writes past the
// answer, an unbalanced stack, a LoadDll that touches more than the keep byte, a fault.
//
// One call, from load to unload:
//
//     ClientCall c = client_call("Z:\\path\\zel.winamp.dll", "zel_winamp_playlist_pos", "abc");
//     if (!c.ok()) puts(c.error.c_str());
//     else printf("%d %s\n", c.result, c.answer.c_str());
//
// The library stays loaded for many calls (for soak tests and benchmarks):
//
//     ClientModule m = client_open(path);          // LoadLibraryA + LoadDll, checked
//     ClientCall c = client_call_in(m, "zel_winamp_play", "abc");
//     client_close(m);                             // FreeLibrary
//
// The data buffer is 900 bytes ending right at a PAGE_NOACCESS page, so a write past its
// end faults at once. A fault inside the DLL is reported on stderr with the export's name,
// and the process then exits with code kClientFaultExit: a fault in the host's process is
// fatal for the real client too.
//
// Not thread-safe: one call at a time, as the client makes them. To use it in a program of
// the Windows build, include "dllcall/client_call.h" and add tools/dllcall/client_call.cpp
// to the program's sources (zel_windows_program puts tools/ on the include path).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

constexpr int kClientDataSize = 900;        // the client's data buffer
constexpr int kClientFaultExit = 70;        // exit code after a fault inside the DLL
constexpr int kCommandArgumentBytes = 24;   // x86: six 32-bit arguments
constexpr int kLoadDllArgumentBytes = 4;    // x86: one pointer

// The version the client reports in the load record: major in the low word, minor in the
// high word. Today's clients report 7.x; mIRC 6 and older 6.x.
constexpr uint32_t kClientVersion7 = (69u << 16) | 7u;   // 7.69
constexpr uint32_t kClientVersion6 = (35u << 16) | 6u;   // 6.35

// What LoadLibraryA + LoadDll did. A DLL without LoadDll is still callable (the client
// allows it) but counts as an error here, since this library must have one.
struct ClientModule {
    HMODULE module = nullptr;
    bool loaded = false;          // LoadLibraryA succeeded
    bool has_load_dll = false;    // the export "LoadDll" exists
    bool load_record_ok = false;  // the keep byte (8 on x86, 16 on x64) went from 1 to 0, no other moved
    bool load_stack_ok = false;   // LoadDll popped exactly its 4 bytes
    int load_popped = 0;          // bytes LoadDll removed from the stack
    std::string error;            // empty when everything above is fine
};

// What one command call did.
struct ClientCall {
    bool loaded = false;          // the module could be loaded (always true for client_call_in)
    bool found = false;           // GetProcAddress found the exact name
    int result = 0;               // the command's return value
    std::string answer;           // the data buffer up to its first zero byte
    bool untouched = false;       // all 900 bytes as they were before the call
    bool tail_changed = false;    // a byte after the answer's terminating zero changed
    bool parms_changed = false;   // the second character buffer was written
    bool stack_ok = false;        // the callee popped exactly 24 bytes
    int popped = 0;               // bytes the callee removed from the stack
    bool unloaded = true;         // client_call only: FreeLibrary really unloaded it
    ClientModule load;            // client_call only: how loading went
    std::string error;            // what went wrong; empty when ok()

    // Loaded, found, stack balanced, nothing written past the answer, LoadDll sound.
    bool ok() const { return error.empty(); }
};

// LoadLibraryA(dll_path), then LoadDll with a client-like record, checked.
ClientModule client_open(const char* dll_path, uint32_t version = kClientVersion7);

// Calls one export of an open module with `params` in the data buffer; 900 bytes or more
// fill the buffer whole, without a terminating zero.
// The result's `load` member is left default; its `error` covers this call only.
ClientCall client_call_in(const ClientModule& module, const char* export_name,
                          const std::string& params);

// FreeLibrary; returns true when the module is gone from the process afterwards.
bool client_close(ClientModule& module);

// The whole client cycle for one $dll() call: load, LoadDll, call, unload.
ClientCall client_call(const char* dll_path, const char* export_name, const std::string& params,
                       uint32_t version = kClientVersion7);
