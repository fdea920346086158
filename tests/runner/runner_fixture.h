// Drives the runner's core against small synthetic registries, with a fixed
// environment and captured report streams.
#pragma once

#include <initializer_list>
#include <map>
#include <source_location>
#include <string>
#include <vector>

#include "runner/case.h"
#include "runner/environment.h"
#include "runner/run.h"

namespace runner_test {

class FakeEnvironment final : public runner::Environment {
 public:
  std::map<std::string, std::string> variables;
  unsigned processors = 1;
  bool terminal = false;

  std::optional<std::string> variable(const std::string& name) const override;
  unsigned available_processors() const override { return processors; }
  bool stdout_is_terminal() const override { return terminal; }
};

// Owns its descriptors; `view` is the registry the runner reads.
class SyntheticRegistry {
 public:
  SyntheticRegistry(std::initializer_list<runner::CaseDescriptor> cases);
  runner::Registry view() const { return pointers_; }

 private:
  std::vector<runner::CaseDescriptor> cases_;
  std::vector<const runner::CaseDescriptor*> pointers_;
};

runner::CaseDescriptor make_case(std::string_view name, runner::CaseEntry entry);

struct RunOutcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs with the program path "suite" followed by `words`.
RunOutcome run_with(const std::vector<std::string>& words, const SyntheticRegistry& registry,
                    const FakeEnvironment& env = {}, const runner::RunTimings& timings = {});

// The elapsed time becomes "0.00" and thread ids "(TID)".
std::string normalised(const std::string& report);

// Bodies shared by the tests.
runner::CaseOutcome passes();
runner::CaseOutcome fails();  // "boom" at failure_site()
std::source_location failure_site();
std::string failure_position();  // "file:line:column" of failure_site()

}  // namespace runner_test
