#include "kiv/hooks.h"

#include <filesystem>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "kiv/answer.h"
#include "kiv/clock.h"
#include "kiv/kivery.h"
#include "kiv/os.h"
#include "kiv/sentinels.h"
#include "kiv/spool_store.h"

namespace kiv {
namespace {

constexpr int kHookExit = 0;
constexpr char kDefaultEvent[] = "UserPromptSubmit";

struct HookTarget {
  std::filesystem::path perch;
  std::string event_name;
};

// The payload as a JSON object; empty input counts as an empty payload.
// Throws std::runtime_error for anything else that is not a JSON object.
nlohmann::json parse_payload(const std::string& input) {
  if (input.find_first_not_of(" \t\r\n") == std::string::npos)
    return nlohmann::json::object();
  auto payload = nlohmann::json::parse(input, nullptr, false);
  if (!payload.is_object())
    throw std::runtime_error("the hook payload is not a JSON object");
  return payload;
}

std::optional<std::string> text_member(const nlohmann::json& payload, const char* name) {
  auto member = payload.find(name);
  if (member == payload.end() || !member->is_string())
    return std::nullopt;
  auto text = member->get<std::string>();
  if (text.empty())
    return std::nullopt;
  return text;
}

std::optional<HookTarget> find_target(std::ostream& diagnostics) {
  auto payload = parse_payload(os::read_standard_input());
  auto session_id = text_member(payload, "session_id");
  if (!session_id)
    session_id = os::environment_variable("KIV_SESSION_ID");
  if (!session_id) {
    diagnostics << "kiv: no session id: the payload has no session_id and KIV_SESSION_ID is "
                   "not set\n";
    return std::nullopt;
  }
  auto kivery = kivery_directory(data_root());
  auto agent_id = find_agent_for_session(kivery, *session_id, diagnostics);
  if (!agent_id) {
    diagnostics << "kiv: no agent in " << kivery.string() << " is registered for session "
                << *session_id << "\n";
    return std::nullopt;
  }
  return HookTarget{perch_of(kivery, *agent_id),
                    text_member(payload, "hook_event_name").value_or(kDefaultEvent)};
}

void note_failure(std::ostream& diagnostics, const char* hook, const std::exception& problem) {
  diagnostics << "kiv " << hook << ": " << problem.what() << "\n";
}

// Runs `body`, turning every exception into a note: the hook still succeeds.
template <typename Body>
int run_hook(const char* hook, std::ostream& diagnostics, Body body) {
  try {
    if (auto target = find_target(diagnostics))
      body(*target);
  } catch (const std::exception& problem) {
    note_failure(diagnostics, hook, problem);
  } catch (...) {
    diagnostics << "kiv " << hook << ": unexpected failure\n";
  }
  return kHookExit;
}

enum class Leftover { none, unknown, pending };

// Hands the pending messages to the host and marks them delivered. Says what
// may be left pending when that fails.
Leftover drain_spool(const HookTarget& target, std::ostream& diagnostics) {
  bool answered = false;
  try {
    SpoolDrain drain(target.perch, seconds_since_epoch());
    if (!drain.messages().empty()) {
      if (!os::write_standard_output(format_answer(target.event_name, drain.messages()))) {
        diagnostics << "kiv hook-check: cannot write the answer; the messages stay pending\n";
        return Leftover::pending;
      }
      answered = true;
    }
    drain.commit_delivered();
    return Leftover::none;
  } catch (const std::exception& problem) {
    note_failure(diagnostics, "hook-check", problem);
    if (!answered)
      return Leftover::unknown;
    diagnostics << "kiv hook-check: the messages shown stay pending\n";
    return Leftover::pending;
  }
}

void check(const HookTarget& target, std::ostream& diagnostics) {
  try {
    os::remove_sentinel(target.perch, kIdleReady);
  } catch (const std::exception& problem) {
    note_failure(diagnostics, "hook-check", problem);
  }
  // Cleared before the drain: a message delivered meanwhile sets it again. A
  // sentinel that cannot be cleared still lets the messages through.
  bool had_messages = true;
  try {
    had_messages = os::remove_sentinel(target.perch, kHasMessages);
  } catch (const std::exception& problem) {
    note_failure(diagnostics, "hook-check", problem);
  }
  auto leftover = drain_spool(target, diagnostics);
  if (leftover == Leftover::pending || (leftover == Leftover::unknown && had_messages)) {
    os::create_sentinel(target.perch, kHasMessages);
  }
}

}  // namespace

int hook_check(std::ostream& diagnostics) {
  return run_hook("hook-check", diagnostics,
                  [&](const HookTarget& target) { check(target, diagnostics); });
}

int hook_idle(std::ostream& diagnostics) {
  return run_hook("hook-idle", diagnostics,
                  [](const HookTarget& target) { os::create_sentinel(target.perch, kIdleReady); });
}

}  // namespace kiv
