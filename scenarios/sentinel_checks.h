// Checks on a sentinel file in an agent's perch. The condition and the wording
// of its failure come from the one sentinel name, so they cannot drift apart:
// a missing ".idle-ready" fails with
//   assertion failed: perch.join(".idle-ready").exists()
// and a present one, where it must be absent, with the same wording after "!".
#pragma once

#include <filesystem>
#include <source_location>
#include <string_view>

namespace scenarios {

void check_sentinel_present(const std::filesystem::path& perch, std::string_view name,
                            std::source_location where = std::source_location::current());

void check_sentinel_absent(const std::filesystem::path& perch, std::string_view name,
                           std::source_location where = std::source_location::current());

}  // namespace scenarios
