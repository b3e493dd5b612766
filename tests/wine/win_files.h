// Whole-file reads and writes for the Wine test programs (the tests and the simulated
// player), with the sharing that lets one process read what another is writing.
#pragma once

#include <string>
#include <vector>

namespace wine_test {

bool write_file(const std::string& path, const std::string& content);
std::string read_file(const std::string& path);  // empty when it cannot be read
// The file's lines, split at CR LF (the last line may lack one).
std::vector<std::string> read_lines(const std::string& path);

}  // namespace wine_test
