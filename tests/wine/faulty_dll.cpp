// A DLL that gets the client's conventions wrong on purpose, one export per mistake, so the
// harness can show that client_call notices each one.
#include <windows.h>

#include <cstring>

extern "C" {

// Clears the keep byte, as it should, but also scribbles on the byte after it.
__declspec(dllexport) void __stdcall LoadDll(unsigned char* record) {
    record[8] = 0;
    record[9] = 7;
}

__declspec(dllexport) int __stdcall good_command(HWND, HWND, char* data, char*, BOOL, BOOL) {
    std::strcpy(data, "fine");
    return 3;
}

// Declared with the wrong convention: leaves its 24 bytes of arguments on the stack.
__declspec(dllexport) int __cdecl cdecl_command(HWND, HWND, char* data, char*, BOOL, BOOL) {
    data[0] = 'c';
    return 3;
}

// Writes an answer and then garbage after its terminating zero.
__declspec(dllexport) int __stdcall tail_writer(HWND, HWND, char* data, char*, BOOL, BOOL) {
    std::memcpy(data, "ok\0X", 4);
    return 3;
}

__declspec(dllexport) int __stdcall parms_writer(HWND, HWND, char*, char* parms, BOOL, BOOL) {
    parms[0] = 'p';
    return 3;
}

// Writes one byte past the client's 900-byte buffer.
__declspec(dllexport) int __stdcall overrun(HWND, HWND, char* data, char*, BOOL, BOOL) {
    std::memset(data, 'o', 901);
    return 3;
}

}  // extern "C"
