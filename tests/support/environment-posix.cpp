#include <cstdlib>
#include <stdexcept>

#include "tests/support/environment.h"

namespace test_support {

std::optional<std::string> variable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? std::optional<std::string>(value) : std::nullopt;
}

void set_variable(const std::string& name, const std::optional<std::string>& value) {
  const int failed = value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
  if (failed != 0)
    throw std::runtime_error("cannot set the environment variable " + name);
}

const std::vector<std::string>& temp_directory_variables() {
  static const std::vector<std::string> names{"TMPDIR"};
  return names;
}

}  // namespace test_support
