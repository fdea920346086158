#include "tests/e2e/suite_run.h"

#include "driver/process.h"
#include "tests/support/environment.h"
#include "tests/support/scratch_dir.h"

namespace e2e {

SuiteRun run_suite(const std::filesystem::path& suite, const std::vector<std::string>& args,
                   const std::vector<std::pair<std::string, std::string>>& env,
                   const std::string& temp_prefix) {
  test_support::ScratchDir temp_dir(temp_prefix);
  driver::Command command(suite);
  for (const auto& arg : args) {
    command.arg(arg);
  }
  for (const auto& [name, value] : env) {
    command.env(name, value);
  }
  for (const std::string& name : test_support::temp_directory_variables())
    command.env(name, driver::path_text(temp_dir.path()));

  driver::ProcessOutput output = driver::spawn(command).wait_with_output();

  SuiteRun run;
  run.exit_code = output.exit_code.value_or(-1);
  run.report = std::move(output.stdout_bytes);
  run.errors = std::move(output.stderr_bytes);
  run.temp_dir = driver::path_text(temp_dir.path());
  for (const auto& entry : std::filesystem::directory_iterator(temp_dir.path())) {
    run.leftovers.push_back(entry.path().filename().string());
  }
  return run;
}

}  // namespace e2e
