// The client calls LoadDll right after it loads the library, and again before every
// command, since the library asks to be unloaded after each one: clearing the
// keep-loaded flag makes the client unload it, so no state can linger.
#include "host/client_version.h"
#include "host/host_command.h"
#include "host/load_record.h"

extern "C" void ZEL_STDCALL LoadDll(void* record) {
    const auto* bytes = static_cast<unsigned char*>(record);
    zel::RememberClientVersion(static_cast<std::uint32_t>(bytes[0]) |
                               static_cast<std::uint32_t>(bytes[1]) << 8 |
                               static_cast<std::uint32_t>(bytes[2]) << 16 |
                               static_cast<std::uint32_t>(bytes[3]) << 24);
    // The client sets the flag to 1; its low byte is the only byte written.
    static_cast<unsigned char*>(record)[zel::kKeepLoadedOffset] = 0;
}
