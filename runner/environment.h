// What the runner reads of the world around it besides the command line:
// environment variables, the processors it may use and whether standard output
// is a terminal. Injected, so that the runner's core can be driven without
// touching the real process.
#pragma once

#include <optional>
#include <string>

namespace runner {

// The variables the runner reads.
inline constexpr const char* test_threads_variable = "SUITE_TEST_THREADS";
inline constexpr const char* nocapture_variable = "SUITE_NOCAPTURE";
inline constexpr const char* backtrace_variable = "SUITE_BACKTRACE";

class Environment {
 public:
  virtual ~Environment() = default;

  // The variable's value, or nothing when it is not set.
  virtual std::optional<std::string> variable(const std::string& name) const = 0;
  // The processors available to the process; 0 when the system does not say.
  virtual unsigned available_processors() const = 0;
  virtual bool stdout_is_terminal() const = 0;

  // A switch variable is on when it is set to anything but "0".
  bool switched_on(const std::string& name) const {
    const auto value = variable(name);
    return value && *value != "0";
  }
};

// The real process, through the platform seam.
class ProcessEnvironment final : public Environment {
 public:
  std::optional<std::string> variable(const std::string& name) const override;
  unsigned available_processors() const override;
  bool stdout_is_terminal() const override;
};

}  // namespace runner
