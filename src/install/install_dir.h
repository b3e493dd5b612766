#pragma once

#include <cstddef>

namespace zel {

// Registry location of the player's uninstall entry, relative to HKEY_LOCAL_MACHINE.
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Winamp";
constexpr char kUninstallValue[] = "UninstallString";

// The directory part of an uninstall command: upper-cased (a-z only), one leading double
// quote dropped, cut after its last backslash. Empty when it holds no backslash. The
// directory is written in place over value; returns its length.
std::size_t DirectoryFromUninstallString(char* value, std::size_t size);

// The player's install directory, ending in a backslash, from its uninstall entry (in the
// registry's 32-bit view, else in the DLL's own); empty when no view has a usable entry. Writes at most capacity - 1 bytes and a zero
// byte into out, and returns the directory's full length (more than capacity - 1 when it
// did not fit, so no caller mistakes a cut directory for the real one).
std::size_t PlayerInstallDir(char* out, std::size_t capacity);

}  // namespace zel
