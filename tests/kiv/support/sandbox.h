// A temporary home for running the kiv tool, removed with everything in it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/kiv/support/child.h"
#include "tests/support/scratch_dir.h"

namespace kiv_test {

namespace fs = std::filesystem;

// The kiv executable under test.
std::string kiv_path();

class Sandbox {
 public:
  Sandbox();
  // The home is a directory `home_name` inside the scratch directory.
  explicit Sandbox(std::u8string_view home_name);
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  const fs::path& home() const { return home_; }
  fs::path root() const { return home_ / ".ruz"; }
  fs::path kivery() const { return root() / "kivery"; }
  fs::path perch(const std::string& agent_id) const { return kivery() / agent_id; }

  // Lays down a perch with `inbox`, `info.json` and `ready`; returns the perch.
  fs::path register_agent(const std::string& agent_id, const std::string& session_id) const;

  // Runs kiv with this home; KIV_SESSION_ID is set to `session_env` or removed.
  // The variables in `options.env` go on top of these.
  ChildResult run(ChildOptions options, std::optional<std::string> session_env = {}) const;
  // The same for `command`, a program and its first arguments, with
  // `options.args` after them: a launcher in front of the tool, such as
  // {"/usr/bin/timeout", "-s", "KILL", "1", kiv_path()}.
  ChildResult run_command(const std::vector<std::string>& command, ChildOptions options,
                          std::optional<std::string> session_env = {}) const;
  ChildResult run(std::vector<std::string> args, std::string input = {},
                  std::optional<std::string> session_env = {}) const;
  ChildResult hook_check(const std::string& session_id) const;
  ChildResult hook_idle(const std::string& session_id) const;
  ChildResult deliver(const std::string& recipient, const std::string& sender,
                      const std::string& body) const;

  // Every entry under the home with its kind and content, to tell whether a
  // run changed anything.
  std::string snapshot() const;

 private:
  test_support::ScratchDir scratch_;
  fs::path home_;
};

void write_file(const fs::path& path, const std::string& content);
std::string read_file(const fs::path& path);
bool entry_exists(const fs::path& path);  // without following a link

}  // namespace kiv_test
