#include "driver/hook_runner.h"

#include <nlohmann/json.hpp>

#include "driver/kiv_command.h"

namespace driver {
namespace {

nlohmann::ordered_json session_payload(std::string_view session_id) {
  nlohmann::ordered_json payload = nlohmann::ordered_json::object();
  payload["session_id"] = std::string(session_id);
  return payload;
}

}  // namespace

std::string hook_check_payload(std::string_view session_id) {
  return session_payload(session_id).dump();
}

std::string hook_idle_payload(std::string_view session_id) {
  nlohmann::ordered_json payload = session_payload(session_id);
  payload["hook_event_name"] = "Stop";
  return payload.dump();
}

HookRun run_hook(const std::filesystem::path& program, std::string_view subcommand,
                 std::string_view payload, const std::filesystem::path& home,
                 std::string_view session_id, std::source_location where) {
  Command command = sandbox_command(program, home);
  command.env("KIV_SESSION_ID", std::string(session_id)).arg(std::string(subcommand));

  const std::string name(subcommand);
  return run_tool(command, payload, {"failed to spawn " + name, "failed to wait on " + name},
                  where);
}

HookRun run_hook_check(const std::filesystem::path& home, std::string_view session_id,
                       std::source_location where) {
  return run_hook(kiv_executable(), "hook-check", hook_check_payload(session_id), home, session_id,
                  where);
}

HookRun run_hook_idle(const std::filesystem::path& home, std::string_view session_id,
                      std::source_location where) {
  return run_hook(kiv_executable(), "hook-idle", hook_idle_payload(session_id), home, session_id,
                  where);
}

}  // namespace driver
