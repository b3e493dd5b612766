#include "host/client_version.h"

namespace zel {
namespace {

// Zero-initialised, so the loader sets it up with no code: a client that never calls
// LoadDll gets the bytes of the ANSI code page, as the oldest clients expect.
std::uint32_t g_clientVersion;

#if !defined(_WIN64)
constexpr std::uint32_t kFirstUtf8Major = 7;
#endif

}  // namespace

void RememberClientVersion(std::uint32_t version) { g_clientVersion = version; }

bool ClientReadsUtf8() {
#if defined(_WIN64)
    return true;  // no 64-bit client predates Unicode
#else
    return (g_clientVersion & 0xFFFFu) >= kFirstUtf8Major;
#endif
}

}  // namespace zel
