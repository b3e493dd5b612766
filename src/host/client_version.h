// What the client told LoadDll about itself, for the command that follows the load.
#pragma once

#include <cstdint>

namespace zel {

// Kept from the load record. A client that calls no LoadDll leaves it at 0, as a freshly
// loaded library has it.
void RememberClientVersion(std::uint32_t version);

// True when the client reads a DLL's text as UTF-8: mIRC 7.0 and later, and every 64-bit
// client. mIRC 6 and older read it in the ANSI code page.
bool ClientReadsUtf8();

}  // namespace zel
