#include "tests/driver/test_support.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cerrno>
#include <iterator>
#include <system_error>

namespace driver_test {
namespace {

class InheritedEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    ::setenv(inherited_name, inherited_value, 1);
    ::setenv("KIV_SESSION_ID", outer_session_id, 1);
  }
};

const auto* const registered = testing::AddGlobalTestEnvironment(new InheritedEnvironment);

}  // namespace

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "driver_test_XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::system_category(), "mkdtemp " + pattern);
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::size_t open_fd_count() {
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  return static_cast<std::size_t>(std::distance(begin(fds), end(fds)));
}

bool has_child_process() {
  int status = 0;
  return !(::waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD);
}

std::string echo_report(const EchoRun& run) {
  std::string report = "argc=" + std::to_string(run.args.size()) + "\n";
  for (const auto& arg : run.args)
    report += "arg=" + arg + "\n";
  report += "HOME=" + run.home + "\n";
  report += "USERPROFILE=" + run.userprofile + "\n";
  report += "RUZ_HOME=" + run.ruz_home + "\n";
  report += "KIV_SESSION_ID=" + run.session_id + "\n";
  report += std::string(inherited_name) + "=" + inherited_value + "\n";
  report += "stdin=" + run.input;
  return report;
}

}  // namespace driver_test
