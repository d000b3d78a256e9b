#pragma once
// Whole-file reads and all-or-nothing writes for the tool's inputs and outputs.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorlix::glyphtool {

// Reads at most limit bytes; a longer file is an error.
bool ReadFileBytes(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes,
                   std::string& error);
// Writes beside the target and renames, so a failed run never leaves half a file behind.
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    std::string& error);

}  // namespace vorlix::glyphtool
