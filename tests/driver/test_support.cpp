#include "tests/driver/test_support.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
// clang-format off: tlhelp32.h needs windows.h first
#include <tlhelp32.h>
// clang-format on
#else
#include <sys/wait.h>

#include <cerrno>
#endif

#include <iterator>

#include "tests/support/environment.h"

namespace driver_test {
namespace {

class InheritedEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    test_support::set_variable(inherited_name, inherited_value);
    test_support::set_variable("KIV_SESSION_ID", outer_session_id);
  }
};

const auto* const registered = testing::AddGlobalTestEnvironment(new InheritedEnvironment);

}  // namespace

#ifdef _WIN32

std::size_t open_fd_count() {
  DWORD count = 0;
  ::GetProcessHandleCount(::GetCurrentProcess(), &count);
  return count;
}

bool has_child_process() {
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE)
    return true;  // cannot tell: assume the worst
  const DWORD self = ::GetCurrentProcessId();
  bool found = false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !found;
       more = ::Process32NextW(snapshot, &entry)) {
    found = entry.th32ParentProcessID == self && entry.th32ProcessID != self;
  }
  ::CloseHandle(snapshot);
  return found;
}

#else

std::size_t open_fd_count() {
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  return static_cast<std::size_t>(std::distance(begin(fds), end(fds)));
}

bool has_child_process() {
  int status = 0;
  return !(::waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD);
}

#endif

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
