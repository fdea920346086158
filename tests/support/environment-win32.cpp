#include <cstdlib>
#include <stdexcept>

#include "runner/utf16.h"
#include "tests/support/environment.h"

namespace test_support {

using runner::utf16::narrow;
using runner::utf16::widen;

std::optional<std::string> variable(const std::string& name) {
  const wchar_t* value = ::_wgetenv(widen(name).c_str());
  return value ? std::optional<std::string>(narrow(value)) : std::nullopt;
}

// The C runtime passes the change on to the process environment that child
// processes inherit; an empty value removes the variable.
void set_variable(const std::string& name, const std::optional<std::string>& value) {
  if (::_wputenv_s(widen(name).c_str(), value ? widen(*value).c_str() : L"") != 0)
    throw std::runtime_error("cannot set the environment variable " + name);
}

const std::vector<std::string>& temp_directory_variables() {
  static const std::vector<std::string> names{"TMP", "TEMP"};
  return names;
}

}  // namespace test_support
