// Child processes: start a program by absolute path with arguments, environment
// overrides and removals on top of the inherited environment, and three piped
// standard streams; write its standard input; wait for it while draining its
// output. Paths go into arguments and variables as path_text (path_text.h).
// One interface, implemented by process-posix.cpp and process-win32.cpp.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "driver/path_text.h"

namespace driver {

// A configured, unstarted command. The Suite's own environment and working
// directory are never touched: overrides apply to the child alone.
class Command {
 public:
  explicit Command(std::filesystem::path program) : program_(std::move(program)) {}

  Command& arg(std::string value) {
    args_.push_back(std::move(value));
    return *this;
  }
  // Sets one variable for the child; a later call for the same name wins.
  Command& env(std::string name, std::string value);
  // Keeps one inherited variable from the child; a later env() for the same
  // name sets it again.
  Command& unset(std::string name);

  const std::filesystem::path& program() const noexcept { return program_; }
  const std::vector<std::string>& args() const noexcept { return args_; }
  const std::vector<std::pair<std::string, std::string>>& env_overrides() const noexcept {
    return env_;
  }
  const std::vector<std::string>& env_removals() const noexcept { return removals_; }

 private:
  std::filesystem::path program_;
  std::vector<std::string> args_;
  std::vector<std::pair<std::string, std::string>> env_;
  std::vector<std::string> removals_;
};

// The exit status. POSIX reports no exit code for a child killed by a signal:
// then `exit_code` is empty. On Windows every process has one, so it is never
// empty there: a child ended by TerminateProcess reports the code it was given
// (1 from Child's destructor), and one that crashed its NTSTATUS, read as a
// signed value (STATUS_ACCESS_VIOLATION, 0xC0000005, is -1073741819).
struct ProcessOutput {
  std::optional<std::int32_t> exit_code;
  std::string stdout_bytes;
  std::string stderr_bytes;
};

// A running child with all three standard streams piped. Move-only. A child
// that its owner never waited for is killed and reaped by the destructor, so no
// process outlives its Child.
class Child {
 public:
  Child(Child&&) noexcept;
  Child& operator=(Child&&) noexcept;
  ~Child();

  // Writes every byte to the child's standard input. Throws std::system_error
  // (never raises SIGPIPE) when the child has closed its end.
  void write_stdin(std::string_view bytes);

  // Closes standard input, drains standard output and standard error together
  // to their ends, then waits for the exit without a time limit. Throws
  // std::system_error when reading or waiting fails.
  ProcessOutput wait_with_output();

  // Closes our end of the child's standard output now: the child's later
  // writes there fail, and wait_with_output reports no standard output.
  void close_stdout() noexcept;

  // Closes every pipe and reaps the child without killing it: used after a
  // failed write, so the child is gone before its caller fails.
  void close_and_reap() noexcept;

  struct State;
  // Deletes a State; defined beside it, so that Child's own members need not
  // see its platform's fields.
  struct StateDeleter {
    void operator()(State* state) const noexcept;
  };

 private:
  friend Child spawn(const Command& command);
  // Takes ownership of `state`, a started child.
  explicit Child(State* state) noexcept : state_(state) {}
  // Kills and reaps a child its owner never waited for.
  void end() noexcept;
  std::unique_ptr<State, StateDeleter> state_;
};

// Starts the command. Throws std::system_error when it cannot be started.
Child spawn(const Command& command);

}  // namespace driver
