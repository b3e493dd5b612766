// Holds a file open the way another program might: for reading, sharing reading only, so
// nobody else may open it for writing meanwhile.
//
//   file_holder.exe <file> <ready-file> [seconds]
//
// Once the file is open it creates <ready-file>, then waits (default 60 s) until it is
// ended by the test that started it. Exits 1 if the file cannot be opened.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const DWORD seconds = argc > 3 ? static_cast<DWORD>(std::atoi(argv[3])) : 60;
    HANDLE held = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 1;
    HANDLE ready = CreateFileA(argv[2], GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
    Sleep(seconds * 1000);
    CloseHandle(held);
    return 0;
}
