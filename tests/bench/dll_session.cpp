#include "dll_session.h"

#include <cstring>

#include "dllcall/export_names.h"

namespace zel::bench {

bool CallLoadDll(HMODULE module) {
    auto load = reinterpret_cast<LoadDllFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "LoadDll")));
    if (load == nullptr) return false;
    // Version, main window, keep-loaded flag, as the client of this build lays them out:
    // the flag at byte 8 on x86, 16 on x64.
    constexpr int kKeep = 2 * sizeof(void*);
    unsigned char record[32] = {};
    record[kKeep] = 1;
    load(record);
    return record[kKeep] == 0;
}

std::string CallCommand(CommandFn fn, int* result, const char* argument) {
    char data[kDataSize];
    std::memset(data, 0, sizeof data);
    std::strncpy(data, argument, kDataSize - 1);
    *result = fn(nullptr, nullptr, data, nullptr, FALSE, FALSE);
    data[kDataSize - 1] = 0;
    return data;
}

std::vector<std::string> CommandNames(HMODULE module) {
    std::vector<std::string> names;
    for (std::string& name : tools::ExportNames(module)) {
        if (name != "LoadDll") names.push_back(std::move(name));
    }
    return names;
}

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace zel::bench
