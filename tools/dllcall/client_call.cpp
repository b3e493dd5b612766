// The client's side of a $dll() call: loader, LoadDll record, guarded data buffer and the
// calls themselves. On x86 the __stdcall calls are made in assembly so the stack pointer
// can be watched; x64 has one convention, in which the caller owns the stack.
#include "dllcall/client_call.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// Pattern the buffers are filled with beyond the parameters: never zero, so any write
// after the answer's terminating zero shows.
constexpr unsigned char kFill = 0xA5;
constexpr int kLoadRecordSize = 32;
// The record in the natural layout of the build: the version (4 bytes), the main window
// (a pointer, aligned), then the 4-byte keep-loaded flag.
constexpr int kWindowOffset = sizeof(void*);
constexpr int kKeepByte = 2 * sizeof(void*);

}  // namespace

// What one raw call gave back: the callee's result and the bytes it removed from the stack.
struct RawCall {
    int result;
    int popped;
};

#if defined(__i386__)
namespace {

// One call in flight. The assembly addresses it by absolute symbol, never relative to
// ESP or EBP, because both are in doubt right after a callee that pops the wrong amount.
// Offsets are fixed by the layout below and used literally in the assembly.
struct StdcallFrame {
    uint32_t function;    // 0
    uint32_t args[6];     // 4 .. 24; args[0] is the first (leftmost) argument
    uint32_t esp_before;  // 28: ESP before the first push
    uint32_t esp_after;   // 32: ESP right after the call returned
    uint32_t result;      // 36: EAX
    uint32_t saved[4];    // 40: EBX, ESI, EDI, EBP of the caller
};

}  // namespace

extern "C" {
StdcallFrame zel_client_frame asm("zel_client_frame") __attribute__((used));
}

namespace {

static_assert(sizeof(StdcallFrame) == 56, "the assembly below relies on this layout");

// Before the pushes: the caller's callee-saved registers and ESP go into the frame.
#define ZEL_SAVE_CALLER                      \
    "movl %%ebx, zel_client_frame+40\n\t"    \
    "movl %%esi, zel_client_frame+44\n\t"    \
    "movl %%edi, zel_client_frame+48\n\t"    \
    "movl %%ebp, zel_client_frame+52\n\t"    \
    "movl %%esp, zel_client_frame+28\n\t"

// The call; then ESP and EAX as the callee left them are recorded, and ESP and the
// callee-saved registers are put back from the frame.
#define ZEL_CALL_AND_RESTORE                 \
    "call *zel_client_frame\n\t"             \
    "movl %%esp, zel_client_frame+32\n\t"    \
    "movl %%eax, zel_client_frame+36\n\t"    \
    "movl zel_client_frame+28, %%esp\n\t"    \
    "movl zel_client_frame+40, %%ebx\n\t"    \
    "movl zel_client_frame+44, %%esi\n\t"    \
    "movl zel_client_frame+48, %%edi\n\t"    \
    "movl zel_client_frame+52, %%ebp\n\t"

// Pushes six arguments, calls, records ESP, then puts ESP and the callee-saved registers
// back as they were whatever the callee did to them.
void __attribute__((noinline)) raw_call6() {
    asm volatile(
        ZEL_SAVE_CALLER
        "pushl zel_client_frame+24\n\t"
        "pushl zel_client_frame+20\n\t"
        "pushl zel_client_frame+16\n\t"
        "pushl zel_client_frame+12\n\t"
        "pushl zel_client_frame+8\n\t"
        "pushl zel_client_frame+4\n\t"
        ZEL_CALL_AND_RESTORE
        :
        :
        : "eax", "ecx", "edx", "memory", "cc");
}

// The same for a function of one argument.
void __attribute__((noinline)) raw_call1() {
    asm volatile(
        ZEL_SAVE_CALLER
        "pushl zel_client_frame+4\n\t"
        ZEL_CALL_AND_RESTORE
        :
        :
        : "eax", "ecx", "edx", "memory", "cc");
}

// What the call left: its result, and the bytes removed (ESP after the call minus ESP
// after the pushes).
RawCall finished_call(int pushed) {
    return {static_cast<int>(zel_client_frame.result),
            static_cast<int>(zel_client_frame.esp_after - zel_client_frame.esp_before) + pushed};
}

RawCall call_load_dll(FARPROC function, void* record) {
    zel_client_frame.function = reinterpret_cast<uint32_t>(function);
    zel_client_frame.args[0] = reinterpret_cast<uint32_t>(record);
    raw_call1();
    return finished_call(kLoadDllArgumentBytes);
}

// int __stdcall f(HWND mWnd, HWND aWnd, char* data, char* parms, BOOL show, BOOL nopause)
RawCall call_command(FARPROC function, uintptr_t main_window, uintptr_t active_window,
                     char* data, char* parms, BOOL show, BOOL nopause) {
    zel_client_frame.function = reinterpret_cast<uint32_t>(function);
    zel_client_frame.args[0] = main_window;
    zel_client_frame.args[1] = active_window;
    zel_client_frame.args[2] = reinterpret_cast<uint32_t>(data);
    zel_client_frame.args[3] = reinterpret_cast<uint32_t>(parms);
    zel_client_frame.args[4] = static_cast<uint32_t>(show);
    zel_client_frame.args[5] = static_cast<uint32_t>(nopause);
    raw_call6();
    return finished_call(kCommandArgumentBytes);
}

#else
namespace {

// x64 has one calling convention and the caller owns the stack: there is no balance to
// check, so the callee is credited with exactly its arguments.
RawCall call_load_dll(FARPROC function, void* record) {
    reinterpret_cast<void (*)(void*)>(reinterpret_cast<void*>(function))(record);
    return {0, kLoadDllArgumentBytes};
}

RawCall call_command(FARPROC function, uintptr_t main_window, uintptr_t active_window,
                     char* data, char* parms, BOOL show, BOOL nopause) {
    using Command = int (*)(HWND, HWND, char*, char*, BOOL, BOOL);
    const int result = reinterpret_cast<Command>(reinterpret_cast<void*>(function))(
        reinterpret_cast<HWND>(main_window), reinterpret_cast<HWND>(active_window), data, parms,
        show, nopause);
    return {result, kCommandArgumentBytes};
}

#endif

const char* volatile g_running_export = nullptr;

// A fault while an export runs would kill the real client; here it ends the test program
// with a message that names the export.
LONG CALLBACK on_exception(EXCEPTION_POINTERS* info) {
    const char* name = g_running_export;
    if (name == nullptr) return EXCEPTION_CONTINUE_SEARCH;
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    // Only errors (severity bits 11) are faults; informational ones (debug output) pass.
    if ((record->ExceptionCode & 0xC0000000u) != 0xC0000000u) return EXCEPTION_CONTINUE_SEARCH;
    std::fprintf(stderr, "client_call: %s faulted: exception 0x%08lx at %p", name,
                 static_cast<unsigned long>(record->ExceptionCode), record->ExceptionAddress);
    if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2) {
        std::fprintf(stderr, " (%s of address %p)",
                     record->ExceptionInformation[0] == 1 ? "write" : "read",
                     reinterpret_cast<void*>(record->ExceptionInformation[1]));
    }
    std::fprintf(stderr, "\n");
    std::fflush(stderr);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), kClientFaultExit);
    return EXCEPTION_CONTINUE_SEARCH;
}

void watch_for_faults() {
    static bool installed = false;
    if (!installed) {
        AddVectoredExceptionHandler(1, on_exception);
        installed = true;
    }
}

// Two pages, the second one inaccessible: the data buffer ends where the first one does.
struct GuardedBuffer {
    char* base = nullptr;
    char* data = nullptr;
    GuardedBuffer() {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        const DWORD page = system.dwPageSize;
        base = static_cast<char*>(
            VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (base == nullptr) return;
        DWORD old = 0;
        if (!VirtualProtect(base + page, page, PAGE_NOACCESS, &old)) {
            VirtualFree(base, 0, MEM_RELEASE);
            base = nullptr;
            return;
        }
        data = base + page - kClientDataSize;
    }
    ~GuardedBuffer() {
        if (base != nullptr) VirtualFree(base, 0, MEM_RELEASE);
    }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;
};

// A text of 900 bytes or more fills the whole buffer with no zero in it, as a broken or
// hostile client could: the DLL must read no further than the buffer's end.
void fill_with(char* buffer, const std::string& text) {
    std::memset(buffer, kFill, kClientDataSize);
    const size_t n = text.size() < kClientDataSize ? text.size() : kClientDataSize;
    std::memcpy(buffer, text.data(), n);
    if (n < kClientDataSize) buffer[n] = '\0';
}

void add_error(std::string& errors, const std::string& what) {
    if (!errors.empty()) errors += "; ";
    errors += what;
}

}  // namespace

ClientModule client_open(const char* dll_path, uint32_t version) {
    watch_for_faults();
    ClientModule m;
    m.module = LoadLibraryA(dll_path);
    if (m.module == nullptr) {
        m.error = "LoadLibraryA(" + std::string(dll_path) + ") failed, error " +
                  std::to_string(GetLastError());
        return m;
    }
    m.loaded = true;
    FARPROC load_dll = GetProcAddress(m.module, "LoadDll");
    if (load_dll == nullptr) {
        m.error = "no export LoadDll";
        return m;
    }
    m.has_load_dll = true;

    // The record as the client lays it out: version, main window, keep flag set, then more
    // fields the library has no business touching.
    unsigned char record[kLoadRecordSize];
    std::memset(record, 0x5A, sizeof record);
    const uintptr_t window = 0x00010F2Cu;
    std::memcpy(record + 0, &version, 4);
    std::memcpy(record + kWindowOffset, &window, sizeof window);
    record[kKeepByte] = 1;
    record[kKeepByte + 1] = record[kKeepByte + 2] = record[kKeepByte + 3] = 0;
    unsigned char before[kLoadRecordSize];
    std::memcpy(before, record, sizeof record);

    g_running_export = "LoadDll";
    const RawCall load = call_load_dll(load_dll, record);
    g_running_export = nullptr;

    m.load_popped = load.popped;
    m.load_stack_ok = m.load_popped == kLoadDllArgumentBytes;
    if (!m.load_stack_ok) {
        add_error(m.error, "LoadDll popped " + std::to_string(m.load_popped) +
                               " bytes instead of 4");
    }
    m.load_record_ok = record[kKeepByte] == 0;
    if (!m.load_record_ok) add_error(m.error, "LoadDll left the keep byte at " +
                                                  std::to_string(record[kKeepByte]));
    for (int i = 0; i < kLoadRecordSize; ++i) {
        if (i != kKeepByte && record[i] != before[i]) {
            m.load_record_ok = false;
            add_error(m.error, "LoadDll changed record byte " + std::to_string(i));
        }
    }
    return m;
}

ClientCall client_call_in(const ClientModule& module, const char* export_name,
                          const std::string& params) {
    watch_for_faults();
    ClientCall c;
    c.loaded = module.module != nullptr;
    if (!c.loaded) {
        c.error = "module not loaded";
        return c;
    }
    FARPROC command = GetProcAddress(module.module, export_name);
    if (command == nullptr) {
        c.error = "no export " + std::string(export_name);
        return c;
    }
    c.found = true;

    GuardedBuffer data;
    if (data.data == nullptr) {
        c.error = "could not set up the guarded data buffer";
        return c;
    }
    fill_with(data.data, params);
    char before[kClientDataSize];
    std::memcpy(before, data.data, kClientDataSize);
    char parms[kClientDataSize];
    fill_with(parms, "");
    char parms_before[kClientDataSize];
    std::memcpy(parms_before, parms, kClientDataSize);

    g_running_export = export_name;
    const RawCall call =
        call_command(command, 0x00010F2Cu, 0x00010F30u, data.data, parms, FALSE, TRUE);
    g_running_export = nullptr;

    c.result = call.result;
    c.popped = call.popped;
    c.stack_ok = c.popped == kCommandArgumentBytes;
    if (!c.stack_ok) {
        add_error(c.error, std::string(export_name) + " popped " + std::to_string(c.popped) +
                               " bytes instead of 24");
    }

    const void* zero = std::memchr(data.data, 0, kClientDataSize);
    const size_t length = zero != nullptr ? static_cast<const char*>(zero) - data.data
                                          : static_cast<size_t>(kClientDataSize);
    c.answer.assign(data.data, length);
    if (zero == nullptr) add_error(c.error, "the answer has no terminating zero within 900 bytes");
    c.untouched = std::memcmp(before, data.data, kClientDataSize) == 0;
    for (size_t i = length + 1; i < static_cast<size_t>(kClientDataSize); ++i) {
        if (data.data[i] != before[i]) {
            c.tail_changed = true;
            add_error(c.error, "byte " + std::to_string(i) + " after the answer was changed");
            break;
        }
    }
    c.parms_changed = std::memcmp(parms, parms_before, kClientDataSize) != 0;
    if (c.parms_changed) add_error(c.error, "the second buffer was written");
    return c;
}

bool client_close(ClientModule& module) {
    if (module.module == nullptr) return true;
    const HMODULE handle = module.module;
    FreeLibrary(handle);
    module.module = nullptr;
    HMODULE still = nullptr;
    const BOOL present = GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(handle), &still);
    return !present;
}

ClientCall client_call(const char* dll_path, const char* export_name, const std::string& params,
                       uint32_t version) {
    ClientModule module = client_open(dll_path, version);
    ClientCall c;
    if (module.loaded) {
        c = client_call_in(module, export_name, params);
        c.unloaded = client_close(module);
        if (!c.unloaded) add_error(c.error, "the DLL stayed loaded after FreeLibrary");
    } else {
        c.loaded = false;
    }
    if (!module.error.empty()) {
        std::string errors = module.error;
        if (!c.error.empty()) errors += "; " + c.error;
        c.error = errors;
    }
    c.load = module;
    return c;
}
