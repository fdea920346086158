// What the driver tests share: a scratch directory, process-table and
// descriptor checks, and the report the echo tool prints.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/scratch_dir.h"

namespace driver_test {

// Set in the test process's own environment before any test runs; children
// must see them unless a command overrides them.
inline constexpr const char* inherited_name = "HOOK_CHAIN_TEST_INHERITED";
inline constexpr const char* inherited_value = "kept = as is, \xc3\xbc";
inline constexpr const char* outer_session_id = "outer-session";

// A fresh empty directory in the temp directory, removed with its contents.
class TempDir : public test_support::ScratchDir {
 public:
  TempDir() : ScratchDir("driver_test_") {}
};

// The file descriptors (handles on Windows) this process holds open.
std::size_t open_fd_count();

// True when this process has a child: on POSIX one running or not yet reaped,
// on Windows one still running.
bool has_child_process();

// What the echo tool prints for a run with these arguments, variables and input.
struct EchoRun {
  std::vector<std::string> args{};
  std::string home = "<unset>";
  std::string userprofile = "<unset>";
  std::string ruz_home = "<unset>";
  std::string session_id = outer_session_id;
  std::string input{};
};
std::string echo_report(const EchoRun& run);

}  // namespace driver_test
