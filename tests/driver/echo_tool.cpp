// Stand-in tool that reports how it was started: its arguments, the variables a
// sandboxed run sets, one inherited variable, and its standard input read to the
// end. Standard error gets the input again.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/test_tool.h"

int main(int argc, char** argv) {
  test_tool::use_binary_standard_streams();
  std::string input;
  char buffer[4096];
  while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, stdin)) {
    input.append(buffer, count);
  }

  std::string report = "argc=" + std::to_string(argc - 1) + "\n";
  for (int i = 1; i < argc; ++i)
    report += std::string("arg=") + argv[i] + "\n";
  for (const char* name :
       {"HOME", "USERPROFILE", "RUZ_HOME", "KIV_SESSION_ID", "HOOK_CHAIN_TEST_INHERITED"}) {
    const char* value = std::getenv(name);
    report += std::string(name) + "=" + (value ? value : "<unset>") + "\n";
  }
  report += "stdin=" + input;

  std::fwrite(report.data(), 1, report.size(), stdout);
  std::fwrite(input.data(), 1, input.size(), stderr);
  return 0;
}
