// The hook runners play the host: they start one hook subcommand of the kiv
// tool against a sandbox home, hand it the hook payload and collect its result.
#pragma once

#include <filesystem>
#include <source_location>
#include <string>
#include <string_view>

#include "driver/tool_run.h"

namespace driver {

// {"session_id":"..."}
std::string hook_check_payload(std::string_view session_id);
// {"session_id":"...","hook_event_name":"Stop"}
std::string hook_idle_payload(std::string_view session_id);

HookRun run_hook_check(const std::filesystem::path& home, std::string_view session_id,
                       std::source_location where = std::source_location::current());
HookRun run_hook_idle(const std::filesystem::path& home, std::string_view session_id,
                      std::source_location where = std::source_location::current());

// What both runners share, with the program given, so tests can drive it
// against small stand-in tools.
HookRun run_hook(const std::filesystem::path& program, std::string_view subcommand,
                 std::string_view payload, const std::filesystem::path& home,
                 std::string_view session_id,
                 std::source_location where = std::source_location::current());

}  // namespace driver
