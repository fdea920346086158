// Runs a Suite executable as a child process, with a private temporary
// directory, and collects its report, its exit status and what it left behind.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

struct SuiteRun {
  std::int32_t exit_code = -1;         // -1 when the Suite ended without one
  std::string report;                  // standard output
  std::string errors;                  // standard error
  std::string temp_dir;                // the temporary directory the Suite had (gone by now)
  std::vector<std::string> leftovers;  // what the Suite left in that TMPDIR
};

// Runs `suite` with the arguments and the extra variables, its temporary
// directory (TMPDIR; TMP and TEMP on Windows) set to a fresh private one that
// is removed afterwards.
// `temp_prefix` starts the private directory's name.
SuiteRun run_suite(const std::filesystem::path& suite, const std::vector<std::string>& args = {},
                   const std::vector<std::pair<std::string, std::string>>& env = {},
                   const std::string& temp_prefix = "hook_chain_e2e-");

}  // namespace e2e
