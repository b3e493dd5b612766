// dllcall: calls one export of a chat-client DLL from the command line, the way the
// client's $dll(file, export, data) does, and prints the answer and the result.
//
//   dllcall <dll>                         list the DLL's exports
//   dllcall [--client M.m] <dll> <export> [data ...]
//                                         call one export; the data words are joined
//                                         by single blanks into the data buffer
//
// --client names the version the client reports to LoadDll (default 7.69, as today's
// clients; --client 6.35 calls as mIRC 6, which reads answers in the ANSI code page).
//
// Each call loads the DLL, calls LoadDll, calls the export with the data in a 900-byte
// buffer and unloads the DLL again, as the client does for a DLL that asks not to stay
// loaded. Exit code 0 when the call went as the client expects, 1 when something was
// wrong (no such export, unbalanced stack, a write past the answer), 2 for bad usage.
#include <windows.h>

#include <cstdio>
#include <string>

#include "dllcall/client_call.h"
#include "dllcall/export_names.h"

namespace {

// The client's meaning of each result code.
const char* ResultMeaning(int result) {
    switch (result) {
        case 0: return "halt the script";
        case 1: return "continue, no answer";
        case 2: return "the data buffer holds a command to run";
        case 3: return "the data buffer holds the answer";
        default: return "not a code the client knows";
    }
}

int Usage() {
    std::fprintf(stderr,
                 "usage: dllcall <dll>                      list the exports\n"
                 "       dllcall [--client M.m] <dll> <export> [data ...]\n"
                 "                                          call one export as the client does\n"
                 "                                          (a client of version M.m, default 7.69)\n");
    return 2;
}

int ListExports(const char* dll) {
    HMODULE module = LoadLibraryA(dll);
    if (module == nullptr) {
        std::fprintf(stderr, "dllcall: cannot load %s (error %lu)\n", dll,
                     static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    for (const std::string& name : zel::tools::ExportNames(module)) {
        std::printf("%s\n", name.c_str());
    }
    FreeLibrary(module);
    return 0;
}

// "6.35" as the record holds it: major in the low word, minor in the high word.
bool ParseVersion(const char* text, uint32_t* version) {
    unsigned major = 0, minor = 0;
    char rest = 0;
    if (std::sscanf(text, "%u.%u%c", &major, &minor, &rest) != 2 || major > 0xFFFF ||
        minor > 0xFFFF) {
        return false;
    }
    *version = (minor << 16) | major;
    return true;
}

int CallExport(const char* dll, const char* name, const std::string& data, uint32_t version) {
    const ClientCall call = client_call(dll, name, data, version);
    if (!call.loaded) {
        std::fprintf(stderr, "dllcall: %s\n", call.error.c_str());
        return 1;
    }
    if (!call.found) {
        std::fprintf(stderr, "dllcall: %s has no export %s (run dllcall %s for the list)\n",
                     dll, name, dll);
        return 1;
    }
    if (call.untouched) {
        std::printf("answer: (none, the data buffer came back as it was passed)\n");
    } else {
        std::printf("answer: %s\n", call.answer.c_str());
    }
    std::printf("result: %d (%s)\n", call.result, ResultMeaning(call.result));
    if (!call.ok()) {
        std::fprintf(stderr, "dllcall: %s\n", call.error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    uint32_t version = kClientVersion7;
    if (argc >= 3 && std::string(argv[1]) == "--client") {
        if (!ParseVersion(argv[2], &version)) return Usage();
        argc -= 2;
        argv += 2;
        if (argc < 3) return Usage();
    }
    if (argc < 2) return Usage();
    if (argc == 2) return ListExports(argv[1]);
    std::string data;
    for (int i = 3; i < argc; ++i) {
        if (i > 3) data += ' ';
        data += argv[i];
    }
    return CallExport(argv[1], argv[2], data, version);
}
