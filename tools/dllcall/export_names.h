// The names a loaded module exports, read from its export directory in memory.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zel::tools {

// Every exported name of the module, in the export table's order (sorted by the
// linker, as the loader's name lookup needs). Empty for a module without exports.
std::vector<std::string> ExportNames(HMODULE module);

}  // namespace zel::tools
