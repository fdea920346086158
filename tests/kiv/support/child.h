// Runs a program as a child process with piped standard streams, through the
// driver layer's process runner.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "driver/process.h"

namespace kiv_test {

struct ChildResult {
  int exit_code = -1;  // -1 when the child did not exit normally
  std::string out;
  std::string err;
};

struct ChildOptions {
  std::vector<std::string> args;
  std::string input;
  // Variables set (or, with no value, removed) on top of the inherited ones;
  // a later entry for the same name wins.
  std::vector<std::pair<std::string, std::optional<std::string>>> env;
  // Close our end of the child's standard output at once, so that its writes
  // there fail.
  bool close_stdout = false;
};

// Starts `program` (UTF-8), writes `input` to it, closes its standard input,
// reads both outputs to their end and waits for it. A child that stops reading
// its input early is no error: its output and exit code tell what it did.
// Throws std::system_error on any other failure.
inline ChildResult run_child(const std::string& program, const ChildOptions& options) {
  driver::Command command(std::filesystem::path(std::u8string(program.begin(), program.end())));
  for (const auto& arg : options.args)
    command.arg(arg);
  for (const auto& [name, value] : options.env) {
    if (value)
      command.env(name, *value);
    else
      command.unset(name);
  }
  driver::Child child = driver::spawn(command);
  if (options.close_stdout)
    child.close_stdout();
  if (!options.input.empty()) {
    try {
      child.write_stdin(options.input);
    } catch (const std::system_error& error) {
      if (error.code() != std::errc::broken_pipe)
        throw;
    }
  }
  driver::ProcessOutput output = child.wait_with_output();
  return {output.exit_code.value_or(-1), std::move(output.stdout_bytes),
          std::move(output.stderr_bytes)};
}

}  // namespace kiv_test
