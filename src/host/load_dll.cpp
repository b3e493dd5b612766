// The client calls LoadDll right after it loads the library. Clearing the keep-loaded
// flag makes it unload the library after each command, so no state can linger.
#include "host/host_command.h"

namespace {
// Byte 8 of the load record is the low byte of the client's keep-loaded flag.
constexpr std::size_t kKeepLoadedOffset = 8;
}  // namespace

extern "C" void ZEL_STDCALL LoadDll(void* record) {
    static_cast<unsigned char*>(record)[kKeepLoadedOffset] = 0;
}
