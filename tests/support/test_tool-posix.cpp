#include <signal.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/test_tool.h"

namespace test_tool {

void use_binary_standard_streams() {}

std::vector<std::string> arguments(int argc, char** argv) {
  return {argv + 1, argv + argc};
}

void die_abnormally() {
  std::fflush(nullptr);
  ::raise(SIGKILL);
  std::abort();
}

}  // namespace test_tool
