// The Suite's pretty report as the end-to-end tests compare it: what varies
// from run to run normalised away, and the report a run should print.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace e2e {

// The seven cases, in the order the Suite starts them.
inline constexpr std::array<std::string_view, 7> case_names = {
    "full_hook_chain_deliver_check_idle", "hook_check_clears_idle_ready",
    "hook_check_drains_pending_message",  "hook_check_no_messages_returns_empty",
    "hook_idle_leaves_messages_for_poll", "hook_idle_sets_idle_ready",
    "session_cache_populated_on_lookup",
};

// Replaces the elapsed time with "<elapsed>", the thread id and check position
// of a failure notice with "<tid>" and "<line>:<col>", drops the backtrace note,
// and writes each sandbox home under `temp_dir` as "<home>"; on Windows every
// backslash becomes a forward slash. With `sort_results` the per-case lines are
// sorted, since with several workers they come in order of completion.
std::string normalise(std::string report, std::string_view temp_dir, bool sort_results);

// The normalised report of a run of all seven cases in which at most one case,
// `failing_case`, fails with `message`.
std::string expected_report(std::string_view failing_case = {}, std::string_view message = {});

}  // namespace e2e
