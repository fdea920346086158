// The notice a failed case writes into its output:
//
//   (empty line)
//   thread '<case name>' (<thread id>) failed at <file>:<line>:<column>:
//   <message>
//   <backtrace, or on the run's first notice only the note on how to get one>
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace runner {

inline constexpr std::string_view backtrace_note =
    "note: run with `SUITE_BACKTRACE=1` environment variable to display a backtrace\n";

// `position` is "file:line:column", or empty when the failure has none; the
// trailer (backtrace or note, each ending in a line break) may be empty.
std::string failure_notice(std::string_view case_name, std::uint64_t thread_id,
                           std::string_view position, std::string_view message,
                           std::string_view trailer);

std::string position_text(std::string_view file, std::uint_least32_t line,
                          std::uint_least32_t column);

}  // namespace runner
