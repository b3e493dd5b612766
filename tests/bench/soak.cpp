// Soak: every export of the DLL called many times in one host process, with the module
// loaded once and with the client's load per call, without and then with the simulated
// player. Each run must leave the process where it started: the same handle count and
// heap, and a working set and private bytes within a small allowance for the
// allocator's warm-up. Output follows GoogleTest's summary lines so the suite runner
// counts it like the other suites.
//
//   soak <dll> <N,M> <P,Q> <fake_player.exe> <scenario> <install-dir>
//
// N and M are the calls of each export without the player (module loaded once, and
// loaded per call), P and Q the same with the player.
//
// The player is started by this process (log to NUL) and closed again at the end; the
// caller prepares the scenario, the uninstall entry and the playlist.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "dll_session.h"
#include "dllcall/client_call.h"

namespace {

constexpr char kPlayerClass[] = "Winamp v1.x";
// Calls of every export made before the first reading, so that lazily created system
// objects (the loader's, the heap's, Wine's) already exist when the counting starts.
constexpr int kWarmUpCalls = 10;
// What the allocator may keep after warm-up without it being a leak.
constexpr long long kHandleAllowance = 2;
constexpr long long kHeapAllowance = 16 * 1024;
constexpr long long kMemoryAllowance = 1024 * 1024;

struct Snapshot {
    long long handles = 0;
    long long working_set = 0;
    long long private_bytes = 0;
    long long heap_busy = 0;
};

// Bytes in use in every heap of the process: a leak of one small block per call shows
// here long before it moves the working set.
long long HeapBusyBytes() {
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    long long busy = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
        }
        HeapUnlock(heaps[i]);
    }
    return busy;
}

// One row of the system's handle list (SystemHandleInformation).
struct SystemHandleEntry {
    ULONG process_id;
    UCHAR object_type;
    UCHAR flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

using QuerySystemInformationFn = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

// The process's open handles. Wine's GetProcessHandleCount answers 0, so where it does,
// the handles are counted in the system's handle list instead.
long long HandleCount() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return count;
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
    auto query = reinterpret_cast<QuerySystemInformationFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) return 0;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        ULONG needed = 0;
        const NTSTATUS status = query(kSystemHandleInformation, buffer.data(),
                                      static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch && buffer.size() < (64u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0) return 0;
        break;
    }
    const ULONG entries = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entry = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
    const ULONG me = GetCurrentProcessId();
    long long mine = 0;
    for (ULONG i = 0; i < entries; ++i) mine += entry[i].process_id == me ? 1 : 0;
    return mine;
}

Snapshot Take() {
    Snapshot s;
    s.handles = HandleCount();
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(),
                         reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    s.working_set = counters.WorkingSetSize;
    s.private_bytes = counters.PrivateUsage;
    s.heap_busy = HeapBusyBytes();
    return s;
}

struct Case {
    std::string name;
    bool passed = true;
    std::vector<std::string> notes;
    void Fail(const std::string& what) {
        passed = false;
        notes.push_back(what);
    }
};

void CheckGrowth(Case& c, const char* what, long long before, long long after,
                 long long allowance) {
    const long long grown = after - before;
    if (grown > allowance) {
        c.Fail(std::string(what) + " grew by " + std::to_string(grown) + " (from " +
               std::to_string(before) + " to " + std::to_string(after) + ", allowance " +
               std::to_string(allowance) + ")");
    }
}

// Calls every export `calls` times through `call`, which reports problems into the case.
using CallFn = std::function<void(const std::string& name, Case& c)>;

void RunEvery(const std::vector<std::string>& names, int calls, const CallFn& call, Case& c) {
    for (const std::string& name : names) {
        for (int i = 0; i < calls && c.notes.size() < 20; ++i) call(name, c);
    }
}

void Check(const ClientCall& call, const std::string& name, Case& c) {
    if (!call.ok()) c.Fail(name + ": " + call.error);
    else if (call.result != 3) c.Fail(name + " returned " + std::to_string(call.result));
}

Case Soak(const std::string& case_name, const std::vector<std::string>& names, int calls,
          const CallFn& call) {
    Case c;
    c.name = case_name;
    RunEvery(names, kWarmUpCalls, call, c);
    const Snapshot before = Take();
    RunEvery(names, calls, call, c);
    const Snapshot after = Take();
    if (before.handles == 0) c.Fail("GetProcessHandleCount gave no count");
    CheckGrowth(c, "handle count", before.handles, after.handles, kHandleAllowance);
    CheckGrowth(c, "heap bytes in use", before.heap_busy, after.heap_busy, kHeapAllowance);
    CheckGrowth(c, "working set", before.working_set, after.working_set, kMemoryAllowance);
    CheckGrowth(c, "private bytes", before.private_bytes, after.private_bytes,
                kMemoryAllowance);
    char line[200];
    std::snprintf(line, sizeof line,
                  "%d calls of each of %u exports; handles %lld -> %lld, heap %lld -> %lld, "
                  "working set %lld -> %lld KiB",
                  calls, static_cast<unsigned>(names.size()), before.handles, after.handles,
                  before.heap_busy, after.heap_busy, before.working_set / 1024,
                  after.working_set / 1024);
    c.notes.insert(c.notes.begin(), line);
    return c;
}

struct Player {
    PROCESS_INFORMATION process = {};
    bool started = false;
};

bool StartPlayer(Player& player, const std::string& program, const std::string& scenario,
                 const std::string& install_dir) {
    std::string command = "\"" + program + "\" --scenario \"" + scenario +
                          "\" --log NUL --install-dir \"" + install_dir + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &player.process)) {
        return false;
    }
    CloseHandle(player.process.hThread);
    player.started = true;
    for (int i = 0; i < 1500; ++i) {
        if (FindWindowA(kPlayerClass, nullptr) != nullptr) return true;
        Sleep(20);
    }
    return false;
}

void StopPlayer(Player& player) {
    if (!player.started) return;
    HWND window = FindWindowA(kPlayerClass, nullptr);
    if (window != nullptr) PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(player.process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(player.process.hProcess, 1);
    }
    CloseHandle(player.process.hProcess);
    player.started = false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(stderr,
                     "usage: soak <dll> <calls> <player-calls> <fake_player.exe> <scenario>"
                     " <install-dir>\n"
                     "  calls: N,M = N calls of each export loaded once, M with a load per call\n");
        return 2;
    }
    const std::string dll = argv[1];
    int once_calls = 0, load_calls = 0, player_once_calls = 0, player_load_calls = 0;
    std::sscanf(argv[2], "%d,%d", &once_calls, &load_calls);
    std::sscanf(argv[3], "%d,%d", &player_once_calls, &player_load_calls);

    // The module stays open only for the loaded-once cases, so that the per-call cases
    // really unload it after every call.
    ClientModule module = client_open(dll.c_str());
    if (!module.loaded) {
        std::fprintf(stderr, "soak: %s\n", module.error.c_str());
        return 1;
    }
    const std::vector<std::string> names = zel::bench::CommandNames(module.module);
    client_close(module);

    const CallFn loaded_once = [&](const std::string& name, Case& c) {
        Check(client_call_in(module, name.c_str(), "abc"), name, c);
    };
    const CallFn load_per_call = [&](const std::string& name, Case& c) {
        Check(client_call(dll.c_str(), name.c_str(), "abc"), name, c);
    };

    std::vector<Case> cases;
    std::printf("[==========] Running 4 tests from 1 test suite.\n");
    const auto run = [&](const std::string& name, int calls, const CallFn& call, bool keep) {
        std::printf("[ RUN      ] %s\n", name.c_str());
        std::fflush(stdout);
        const DWORD start = GetTickCount();
        Case c;
        if (keep) module = client_open(dll.c_str());
        if (keep && !module.error.empty()) {
            c.name = name;
            c.Fail(module.error);
        } else {
            c = Soak(name, names, calls, call);
        }
        if (keep) client_close(module);
        for (const std::string& note : c.notes) std::printf("  %s\n", note.c_str());
        std::printf("[ %s ] %s (%lu ms)\n", c.passed ? "      OK" : " FAILED ", name.c_str(),
                    static_cast<unsigned long>(GetTickCount() - start));
        std::fflush(stdout);
        cases.push_back(c);
    };

    run("Soak.LoadedOnceWithoutPlayer", once_calls, loaded_once, true);
    run("Soak.LoadPerCallWithoutPlayer", load_calls, load_per_call, false);
    Player player;
    if (StartPlayer(player, argv[4], argv[5], argv[6])) {
        run("Soak.LoadedOnceWithPlayer", player_once_calls, loaded_once, true);
        run("Soak.LoadPerCallWithPlayer", player_load_calls, load_per_call, false);
    } else {
        for (const char* name : {"Soak.LoadedOnceWithPlayer", "Soak.LoadPerCallWithPlayer"}) {
            Case c;
            c.name = name;
            c.Fail("the simulated player did not start");
            std::printf("[ RUN      ] %s\n  the simulated player did not start\n"
                        "[  FAILED  ] %s (0 ms)\n", name, name);
            cases.push_back(c);
        }
    }
    StopPlayer(player);

    int failed = 0;
    for (const Case& c : cases) failed += c.passed ? 0 : 1;
    std::printf("[==========] %u tests from 1 test suite ran.\n",
                static_cast<unsigned>(cases.size()));
    std::printf("[  PASSED  ] %u tests.\n", static_cast<unsigned>(cases.size() - failed));
    if (failed > 0) {
        std::printf("[  FAILED  ] %d test%s, listed below:\n", failed, failed == 1 ? "" : "s");
        for (const Case& c : cases) {
            if (!c.passed) std::printf("[  FAILED  ] %s\n", c.name.c_str());
        }
    }
    return failed == 0 ? 0 : 1;
}
