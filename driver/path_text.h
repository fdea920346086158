#pragma once

#include <filesystem>
#include <string>

namespace driver {

// A path as UTF-8 text: what a Command takes for arguments and variables, and
// what failure descriptions and the files the tool reads show. On POSIX it is
// the path's native bytes, unchanged.
std::string path_text(const std::filesystem::path& path);

}  // namespace driver
