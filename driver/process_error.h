// The error every platform half of the process layer throws.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace driver {

// A system_error whose what() reads "cannot <action> <program>: <description>".
std::system_error process_error(int code, std::string_view action,
                                const std::filesystem::path& program);

}  // namespace driver
