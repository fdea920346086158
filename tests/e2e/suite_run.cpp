#include "tests/e2e/suite_run.h"

#include "driver/process.h"
#include "fixture/temp_dir.h"

namespace e2e {

SuiteRun run_suite(const std::filesystem::path& suite, const std::vector<std::string>& args,
                   const std::vector<std::pair<std::string, std::string>>& env) {
  auto temp_dir = fixture::TempDir::create();
  driver::Command command(suite);
  for (const auto& arg : args)
    command.arg(arg);
  for (const auto& [name, value] : env)
    command.env(name, value);
  command.env("TMPDIR", temp_dir.path().string());

  driver::ProcessOutput output = driver::spawn(command).wait_with_output();

  SuiteRun run;
  run.exit_code = output.exit_code.value_or(-1);
  run.report = std::move(output.stdout_bytes);
  run.errors = std::move(output.stderr_bytes);
  run.temp_dir = temp_dir.path().string();
  for (const auto& entry : std::filesystem::directory_iterator(temp_dir.path())) {
    run.leftovers.push_back(entry.path().filename().string());
  }
  return run;
}

}  // namespace e2e
