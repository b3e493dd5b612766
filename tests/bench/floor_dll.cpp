// The cheapest DLL that can answer the load cycle the client runs for one player
// command: no C runtime, an entry point that returns at once, LoadDll clearing the
// keep-loaded flag and zel_winamp_play sending the same message the real command sends.
// Measuring the real DLL against it shows what the real DLL costs beyond the loader
// and the message itself.
#include <windows.h>

extern "C" BOOL WINAPI FloorEntry(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}

extern "C" void WINAPI LoadDll(void* record) {
    // The keep-loaded flag: byte 8 on x86, 16 on x64.
    static_cast<unsigned char*>(record)[sizeof(void*) == 4 ? 8 : 16] = 0;
}

extern "C" int WINAPI zel_winamp_play(void*, void*, char*, char*, int, int) {
    SendMessageA(FindWindowA("Winamp v1.x", nullptr), WM_COMMAND, 40045, 0);
    return 3;
}
