#include "install/install_dir.h"

#include <cstdint>

#include "platform/handles.h"
#include "platform/heap_buffer.h"

namespace zel {

std::size_t DirectoryFromUninstallString(char* value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        if (value[i] >= 'a' && value[i] <= 'z') value[i] = static_cast<char>(value[i] - 'a' + 'A');
    }
    std::size_t start = (size > 0 && value[0] == '"') ? 1 : 0;
    std::size_t end = size;
    while (end > start && value[end - 1] != '\\') --end;
    const std::size_t length = end - start;
    for (std::size_t i = 0; i < length; ++i) value[i] = value[start + i];
    return length;
}

namespace {

// The directory from the uninstall entry in one view of the registry, as
// PlayerInstallDir answers it; 0 when that view has no usable entry.
std::size_t InstallDirInView(std::uint32_t view, char* out, std::size_t capacity) {
    out[0] = '\0';
    platform::ScopedKey key;
    if (!platform::OpenLocalMachineKey(kUninstallKey, platform::kKeyQueryValue | view, key.out())) {
        return 0;
    }

    // Ask for the size, then read; the value may change in between, so ask again while
    // it keeps growing (bounded, so a value rewritten in a loop cannot stall the client).
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (platform::QueryRegistryValue(key.get(), kUninstallValue, &type, nullptr, &size) !=
        platform::ValueStatus::Ok) {
        return 0;
    }
    platform::HeapBuffer value;
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (type != platform::kRegistryString || size == 0) return 0;
        if (!value.allocate(size)) return 0;
        const auto status =
            platform::QueryRegistryValue(key.get(), kUninstallValue, &type, value.data(), &size);
        if (status == platform::ValueStatus::Ok) break;
        if (status != platform::ValueStatus::MoreData || attempt == 3) return 0;
    }
    if (type != platform::kRegistryString) return 0;

    // A stored string need not end in a zero byte; it ends at its first one if it does.
    char* text = static_cast<char*>(value.data());
    std::size_t length = 0;
    while (length < size && text[length] != '\0') ++length;

    length = DirectoryFromUninstallString(text, length);
    const std::size_t copied = length < capacity ? length : capacity - 1;
    for (std::size_t i = 0; i < copied; ++i) out[i] = text[i];
    out[copied] = '\0';
    return length;
}

}  // namespace

std::size_t PlayerInstallDir(char* out, std::size_t capacity) {
    // The player's installer is a 32-bit program: on 64-bit Windows its entry stands in
    // the registry's 32-bit view, which a 64-bit process reaches only by asking for it.
    // The DLL's own view comes second, for a compatible player with a 64-bit installer.
    // (32-bit Windows has one view and ignores the flag.)
    const std::size_t length = InstallDirInView(platform::kKeyView32, out, capacity);
    return length != 0 ? length : InstallDirInView(0, out, capacity);
}

}  // namespace zel
