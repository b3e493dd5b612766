// The DLL is linked without a C runtime, so this is its whole entry point: nothing is
// set up at load or torn down at unload, which keeps the load the client pays on every
// script call as cheap as the loader itself.
#include <windows.h>

extern "C" BOOL WINAPI DllEntry(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
