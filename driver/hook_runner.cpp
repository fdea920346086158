#include "driver/hook_runner.h"

#include <system_error>
#include <utility>

#include <nlohmann/json.hpp>

#include "driver/kiv_command.h"
#include "driver/process.h"
#include "driver/utf8_lossy.h"
#include "runner/check.h"

namespace driver {
namespace {

nlohmann::ordered_json session_payload(std::string_view session_id) {
  nlohmann::ordered_json payload = nlohmann::ordered_json::object();
  payload["session_id"] = std::string(session_id);
  return payload;
}

std::string step_message(std::string_view action, std::string_view subcommand) {
  std::string message(action);
  message += ' ';
  message += subcommand;
  return message;
}

Child spawn_hook(const Command& command, std::string_view subcommand, std::source_location where) {
  try {
    return spawn(command);
  } catch (const std::system_error& error) {
    runner::fail_step(step_message("failed to spawn", subcommand), error.what(), where);
  }
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

  Child child = spawn_hook(command, subcommand, where);
  try {
    child.write_stdin(payload);
  } catch (const std::system_error& error) {
    // The child must be gone before the case fails and its sandbox is removed.
    child.close_and_reap();
    runner::fail_unexpected(error.what(), where);
  }

  ProcessOutput output;
  try {
    output = child.wait_with_output();
  } catch (const std::system_error& error) {
    runner::fail_step(step_message("failed to wait on", subcommand), error.what(), where);
  }

  return HookRun{decode_utf8_lossy(output.stdout_bytes), decode_utf8_lossy(output.stderr_bytes),
                 output.exit_code.value_or(-1)};
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
