// The record the client passes to LoadDll, in the natural layout of each build: on x86
// the version, the main window and the keep-loaded flag at byte 8; on x64 the version,
// four bytes of padding, the 8-byte main window and the flag at byte 16.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

struct LoadRecord {
    std::uint32_t version;  // major version in the low word, minor in the high word
    void* mainWindow;
    std::uint32_t keepLoaded;
    std::uint32_t unicode;
    std::uint32_t beta;
    std::uint32_t bytes;
};

constexpr std::size_t kKeepLoadedOffset = offsetof(LoadRecord, keepLoaded);
static_assert(kKeepLoadedOffset == (sizeof(void*) == 4 ? 8 : 16), "the client's layout");

}  // namespace zel
