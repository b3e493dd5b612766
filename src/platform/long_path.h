// How Windows' file calls are given a path of MAX_PATH characters or more: in its
// extended-length form, which they take up to 32,767 characters. The form is taken
// literally (no "/", "." or ".." resolved), so it is made only from a full path.
#pragma once

#include <cstddef>

namespace zel::platform {

// The extended-length form of a full path: "\\?\" before a drive path ("C:\..."),
// "\\?\UNC\" in place of the "\\" of a network path; one already in a device form
// ("\\?\", "\\.\") stays as it is. Writes it and a zero into out and returns its length;
// 0 when it does not fit capacity or the path is not full (relative to a directory or
// to a drive's root).
std::size_t ExtendedLengthPath(const char16_t* full, char16_t* out, std::size_t capacity);

}  // namespace zel::platform
