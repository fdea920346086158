// Runs a program as a child process with piped standard streams.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kiv_test {

struct ChildResult {
  int exit_code = -1;  // -1 when the child did not exit normally
  std::string out;
  std::string err;
};

struct ChildOptions {
  std::vector<std::string> args;
  std::string input;
  // Variables set (or, with no value, removed) on top of the inherited ones.
  std::vector<std::pair<std::string, std::optional<std::string>>> env;
  // Close our end of the child's standard output at once, so that its writes
  // there fail.
  bool close_stdout = false;
};

// Starts `program`, writes `input` to it, closes its standard input, reads both
// outputs to their end and waits for it. Throws std::system_error on failure.
ChildResult run_child(const std::string& program, const ChildOptions& options);

}  // namespace kiv_test
