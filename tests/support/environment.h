// The test process's own environment, read and changed the same way on every
// platform.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace test_support {

// The variable's value, or nothing when it is not set.
std::optional<std::string> variable(const std::string& name);

// Sets the variable, or removes it when `value` is empty.
void set_variable(const std::string& name, const std::optional<std::string>& value);

// The variables that name the system's temporary directory, in the order the
// platform reads them: TMPDIR on POSIX; TMP, then TEMP on Windows.
const std::vector<std::string>& temp_directory_variables();

}  // namespace test_support
