#include "tests/e2e/suite_run.h"

#include <stdlib.h>

#include <cerrno>
#include <system_error>

#include "driver/process.h"

namespace e2e {
namespace {

// A fresh directory in the system's temporary directory, removed with what it
// holds when released.
class PrivateDir {
 public:
  PrivateDir() {
    std::string name = (std::filesystem::temp_directory_path() / "hook_chain_e2e-XXXXXX").string();
    if (!::mkdtemp(name.data())) {
      throw std::system_error(errno, std::generic_category(), "mkdtemp " + name);
    }
    path_ = name;
  }
  PrivateDir(const PrivateDir&) = delete;
  PrivateDir& operator=(const PrivateDir&) = delete;
  ~PrivateDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  const std::filesystem::path& path() const noexcept { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

SuiteRun run_suite(const std::filesystem::path& suite, const std::vector<std::string>& args,
                   const std::vector<std::pair<std::string, std::string>>& env) {
  PrivateDir temp_dir;
  driver::Command command(suite);
  for (const auto& arg : args) {
    command.arg(arg);
  }
  for (const auto& [name, value] : env) {
    command.env(name, value);
  }
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
