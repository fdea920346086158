#include "kiv/hooks.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include <utf8.h>
#include <nlohmann/json.hpp>

#include "kiv/answer.h"
#include "kiv/clock.h"
#include "kiv/kivery.h"
#include "kiv/os.h"
#include "kiv/quote.h"
#include "kiv/sentinels.h"
#include "kiv/spool_store.h"

namespace kiv {
namespace {

constexpr int hook_exit = 0;
constexpr char default_event[] = "UserPromptSubmit";
// A host waits for its hooks: a spool another process keeps locked is given up
// on after this long, its messages left for the next check.
constexpr std::chrono::milliseconds hook_lock_wait{2000};

struct HookTarget {
  std::filesystem::path perch;
  std::string event_name;
};

// The payload as a JSON object; empty input counts as an empty payload.
// Throws std::runtime_error saying whether the input is not UTF-8, not JSON,
// or JSON but not an object.
nlohmann::json parse_payload(const std::string& input) {
  if (input.find_first_not_of(" \t\r\n") == std::string::npos)
    return nlohmann::json::object();
  auto invalid = utf8::find_invalid(input.begin(), input.end());
  if (invalid != input.end()) {
    throw std::runtime_error("the hook payload is not UTF-8 (invalid byte at offset " +
                             std::to_string(invalid - input.begin()) + ")");
  }
  nlohmann::json payload;
  try {
    payload = nlohmann::json::parse(input);
  } catch (const nlohmann::json::parse_error& error) {
    throw std::runtime_error("the hook payload is not valid JSON (syntax error at byte " +
                             std::to_string(error.byte) + ")");
  }
  if (!payload.is_object()) {
    throw std::runtime_error(std::string("the hook payload is a JSON ") + payload.type_name() +
                             ", not an object");
  }
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

std::optional<std::string> session_id_of(const nlohmann::json& payload, std::ostream& diagnostics) {
  if (auto session_id = text_member(payload, "session_id"))
    return session_id;
  auto member = payload.find("session_id");
  if (member != payload.end() && !member->is_string()) {
    diagnostics << "kiv: the payload's session_id is a " << member->type_name()
                << ", not a text; trying KIV_SESSION_ID\n";
  }
  return os::environment_variable("KIV_SESSION_ID");
}

std::optional<HookTarget> find_target(std::ostream& diagnostics) {
  auto payload = parse_payload(os::read_standard_input());
  auto session_id = session_id_of(payload, diagnostics);
  if (!session_id) {
    diagnostics << "kiv: no session id: the payload has no session_id and KIV_SESSION_ID is "
                   "not set\n";
    return std::nullopt;
  }
  auto kivery = kivery_directory(data_root());
  auto agent_id = find_agent_for_session(kivery, *session_id, diagnostics);
  if (!agent_id) {
    diagnostics << "kiv: no agent in " << quote(kivery.string()) << " is registered for session "
                << quote(*session_id) << "\n";
    return std::nullopt;
  }
  return HookTarget{perch_of(kivery, *agent_id),
                    text_member(payload, "hook_event_name").value_or(default_event)};
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
  return hook_exit;
}

// Hands the pending messages to the host. The rows are marked delivered
// first, then the answer is written in full, then the drain commits: any
// failure before the commit rolls back and leaves the messages pending.
// Returns whether the drain committed.
bool drain_spool(const HookTarget& target, std::ostream& diagnostics) {
  bool answered = false;
  try {
    SpoolDrain drain(target.perch, seconds_since_epoch(), hook_lock_wait);
    if (!drain.messages().empty()) {
      if (!os::write_standard_output(format_answer(target.event_name, drain.messages()))) {
        diagnostics << "kiv hook-check: cannot write the answer; the messages stay pending\n";
        return false;
      }
      answered = true;
    }
    drain.commit();
    return true;
  } catch (const std::exception& problem) {
    note_failure(diagnostics, "hook-check", problem);
    diagnostics << (answered ? "kiv hook-check: the messages shown stay pending\n"
                             : "kiv hook-check: the messages stay pending\n");
    return false;
  }
}

// Clears .has-messages after a committed drain, then sets it again if a
// message is pending by now (a deliver that committed during the drain). Set
// whenever it cannot be told.
void clear_has_messages(const HookTarget& target, std::ostream& diagnostics) {
  try {
    os::remove_sentinel(target.perch, has_messages_name);
  } catch (const std::exception& problem) {
    note_failure(diagnostics, "hook-check", problem);
  }
  bool pending = true;
  try {
    pending = has_pending_messages(target.perch, hook_lock_wait);
  } catch (const std::exception& problem) {
    note_failure(diagnostics, "hook-check", problem);
  }
  if (pending)
    os::create_sentinel(target.perch, has_messages_name);
}

void check(const HookTarget& target, std::ostream& diagnostics) {
  try {
    os::remove_sentinel(target.perch, idle_ready_name);
  } catch (const std::exception& problem) {
    note_failure(diagnostics, "hook-check", problem);
  }
  // .has-messages is touched only after the commit: a hook that fails or dies
  // before it leaves the sentinel as it found it, true while rows are pending.
  if (drain_spool(target, diagnostics))
    clear_has_messages(target, diagnostics);
}

}  // namespace

int hook_check(std::ostream& diagnostics) {
  return run_hook("hook-check", diagnostics,
                  [&](const HookTarget& target) { check(target, diagnostics); });
}

int hook_idle(std::ostream& diagnostics) {
  return run_hook("hook-idle", diagnostics, [](const HookTarget& target) {
    os::create_sentinel(target.perch, idle_ready_name);
  });
}

}  // namespace kiv
