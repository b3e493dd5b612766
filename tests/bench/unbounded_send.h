// Force-included into the benchmark's reference build of the DLL: every message waits
// for the player without a bound, as SendMessage does, so that the cost of the bound
// can be measured against it in one run.
#pragma once

#include <windows.h>

inline LRESULT ZelUnboundedSend(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT,
                                UINT, PDWORD_PTR result) {
    *result = static_cast<DWORD_PTR>(SendMessageA(window, message, wParam, lParam));
    return 1;
}
#define SendMessageTimeoutA ZelUnboundedSend
