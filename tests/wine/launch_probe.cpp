// Records that it was started, and how: writes its command line and its own module path,
// one per line, to "<its own path>.ran", then exits. Copied into a player install
// directory as winamp.exe it shows what the DLL launched; copied to C:\PROGRAM.EXE and the
// like it shows that an unquoted command line was resolved to the wrong program.
#include <windows.h>

#include <string>

int main() {
    char module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    const std::string record_path = std::string(module) + ".ran";
    const std::string text = std::string(GetCommandLineA()) + "\r\n" + module + "\r\n";
    HANDLE file = CreateFileA(record_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
