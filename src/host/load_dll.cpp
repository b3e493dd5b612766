// The client calls LoadDll right after it loads the library. Clearing the keep-loaded
// flag makes it unload the library after each command, so no state can linger.
#include "host/host_command.h"
#include "host/load_record.h"

extern "C" void ZEL_STDCALL LoadDll(void* record) {
    // The client sets the flag to 1; its low byte is the only byte written.
    static_cast<unsigned char*>(record)[zel::kKeepLoadedOffset] = 0;
}
