#include "tests/support/environment.h"

#include <cstdlib>
#include <stdexcept>

namespace test_support {

std::optional<std::string> variable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? std::optional<std::string>(value) : std::nullopt;
}

void set_variable(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
  // An empty value removes the variable; the C runtime passes the change on to
  // the process environment that child processes inherit.
  const int failed = ::_putenv_s(name.c_str(), value ? value->c_str() : "");
#else
  const int failed = value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
#endif
  if (failed != 0)
    throw std::runtime_error("cannot set the environment variable " + name);
}

const std::vector<std::string>& temp_directory_variables() {
#ifdef _WIN32
  static const std::vector<std::string> names{"TMP", "TEMP"};
#else
  static const std::vector<std::string> names{"TMPDIR"};
#endif
  return names;
}

}  // namespace test_support
