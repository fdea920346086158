// Stand-in tool that reports how it was started: its arguments, the variables a
// sandboxed run sets, one inherited variable, and its standard input read to the
// end. Standard error gets the input again.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/environment.h"
#include "tests/support/test_tool.h"

int main(int argc, char** argv) {
  test_tool::use_binary_standard_streams();
  std::string input;
  char buffer[4096];
  while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, stdin)) {
    input.append(buffer, count);
  }

  const std::vector<std::string> args = test_tool::arguments(argc, argv);
  std::string report = "argc=" + std::to_string(args.size()) + "\n";
  for (const std::string& arg : args)
    report += "arg=" + arg + "\n";
  for (const char* name :
       {"HOME", "USERPROFILE", "RUZ_HOME", "KIV_SESSION_ID", "HOOK_CHAIN_TEST_INHERITED"}) {
    report += std::string(name) + "=" + test_support::variable(name).value_or("<unset>") + "\n";
  }
  report += "stdin=" + input;

  std::fwrite(report.data(), 1, report.size(), stdout);
  std::fwrite(input.data(), 1, input.size(), stderr);
  return 0;
}
