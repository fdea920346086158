#include "tests/runner/runner_fixture.h"

#include <regex>
#include <sstream>

#include "runner/failure.h"

namespace runner_test {

std::optional<std::string> FakeEnvironment::variable(const std::string& name) const {
  const auto found = variables.find(name);
  if (found == variables.end())
    return std::nullopt;
  return found->second;
}

SyntheticRegistry::SyntheticRegistry(std::initializer_list<runner::CaseDescriptor> cases)
    : cases_(cases) {
  for (const runner::CaseDescriptor& c : cases_)
    pointers_.push_back(&c);
}

runner::CaseDescriptor make_case(std::string_view name, runner::CaseEntry entry) {
  runner::CaseDescriptor c;
  c.name = name;
  c.entry = entry;
  return c;
}

RunOutcome run_with(const std::vector<std::string>& words, const SyntheticRegistry& registry,
                    const FakeEnvironment& env, const runner::RunTimings& timings) {
  std::vector<std::string> args{"suite"};
  args.insert(args.end(), words.begin(), words.end());
  std::ostringstream out;
  std::ostringstream err;
  const int status = runner::run(args, registry.view(), env, out, err, timings);
  return {status, out.str(), err.str()};
}

std::string normalised(const std::string& report) {
  static const std::regex elapsed(R"(finished in \d+\.\d\ds)");
  static const std::regex thread_id(R"(' \(\d+\) failed)");
  return std::regex_replace(std::regex_replace(report, elapsed, "finished in 0.00s"), thread_id,
                            "' (TID) failed");
}

std::source_location failure_site() {
  static const std::source_location site = std::source_location::current();
  return site;
}

std::string failure_position() {
  const auto site = failure_site();
  return std::string(site.file_name()) + ":" + std::to_string(site.line()) + ":" +
         std::to_string(site.column());
}

runner::CaseOutcome passes() {
  return runner::CaseOutcome::passed;
}

runner::CaseOutcome fails() {
  runner::fail("boom", failure_site());
}

}  // namespace runner_test
