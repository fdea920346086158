#include <signal.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/test_tool.h"

namespace test_tool {

void use_binary_standard_streams() {}

std::vector<std::string> arguments(int argc, char** argv) {
  return {argv + 1, argv + argc};
}

std::optional<std::string> variable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? std::optional<std::string>(value) : std::nullopt;
}

void die_abnormally() {
  std::fflush(nullptr);
  ::raise(SIGKILL);
  std::abort();
}

}  // namespace test_tool
