#pragma once

#include <filesystem>
#include <string>

namespace kiv {

// The whole content of the regular file at `path`. Throws std::runtime_error
// naming the path when it is missing, not a regular file or unreadable.
std::string read_file(const std::filesystem::path& path);

}  // namespace kiv
