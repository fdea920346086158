// The seven hook-chain cases. Each body is one straight list of steps: build the
// sandbox, run the tool, check what it left. The first failed check ends the
// case; the sandbox home, declared first, is removed last on the way out.
#include "scenarios/hook_chain.h"

#include <cstddef>
#include <cstdint>

#include "driver/hook_runner.h"
#include "driver/kiv_command.h"
#include "driver/tool_run.h"
#include "fixture/agent.h"
#include "fixture/files.h"
#include "fixture/inbox.h"
#include "fixture/sandbox_home.h"
#include "fixture/spool.h"
#include "runner/check.h"
#include "scenarios/sentinel_checks.h"
#include "scenarios/text.h"

namespace scenarios {
namespace {

using driver::run_hook_check;
using driver::run_hook_idle;
using fixture::Delivery;
using fixture::make_sandbox_home;
using fixture::path_exists;
using fixture::register_agent;
using runner::check;
using runner::check_eq;

}  // namespace

void full_hook_chain_deliver_check_idle() {
  auto home = make_sandbox_home();
  auto perch = register_agent(home.path(), "chain-agent", "test-session-chain-007");

  auto deliver = driver::kiv_command(home.path());
  deliver.arg("deliver").arg("chain-agent").arg("test-sender");
  auto delivered =
      driver::run_tool(deliver, "Chain test message\n", {"deliver failed", "deliver failed"});
  check_eq(delivered.exit_code, 0, "deliver should exit 0, stderr: " + delivered.stderr_text);
  check(path_exists(perch / ".has-messages"), ".has-messages should be set after deliver");

  auto checked = run_hook_check(home.path(), "test-session-chain-007");
  check_eq(checked.exit_code, 0);
  check(contains(checked.stdout_text, "Chain test message"),
        "hook-check should output the delivered message, got: " + checked.stdout_text);
  check_sentinel_absent(perch, ".has-messages");
  check_sentinel_absent(perch, ".idle-ready");

  auto idled = run_hook_idle(home.path(), "test-session-chain-007");
  check_eq(idled.exit_code, 0);
  check(!contains(idled.stdout_text, "Chain test message"),
        "hook-idle should NOT re-output already drained messages");
  check(path_exists(perch / ".idle-ready"), ".idle-ready should be set after hook-idle");
}

void hook_check_clears_idle_ready() {
  auto home = make_sandbox_home();
  auto perch = register_agent(home.path(), "idle-agent", "test-session-idle-003");
  fixture::write_file(perch / ".idle-ready", "");
  check_sentinel_present(perch, ".idle-ready");

  auto run = run_hook_check(home.path(), "test-session-idle-003");
  check_eq(run.exit_code, 0);
  check(!path_exists(perch / ".idle-ready"),
        ".idle-ready should be cleared by hook-check (agent is busy)");
}

void hook_check_drains_pending_message() {
  auto home = make_sandbox_home();
  auto perch = register_agent(home.path(), "msg-agent", "test-session-msg-002");
  {
    auto spool = fixture::create_spool(perch);
    fixture::queue_spool_message(spool, "friend", "Hello from integration test", 0, 0);
  }  // closed: the tool must find the spool free
  fixture::write_file(perch / ".has-messages", "");

  auto run = run_hook_check(home.path(), "test-session-msg-002");
  check_eq(run.exit_code, 0, "hook-check should always exit 0");
  check(contains(run.stdout_text, "hookSpecificOutput"),
        "hook-check should output hookSpecificOutput JSON, got: " + run.stdout_text);
  check(contains(run.stdout_text, "Hello from integration test"),
        "hook-check should include message body in output, got: " + run.stdout_text);
  check(contains(run.stdout_text, "kiv_messages"),
        "hook-check should wrap messages in kiv_messages XML, got: " + run.stdout_text);
  check(!path_exists(perch / ".has-messages"),
        ".has-messages sentinel should be cleared after hook-check drain");

  auto spool = fixture::open_spool(perch);
  check_eq(fixture::count_spool_messages(spool, Delivery::delivered), std::int64_t{1},
           "spool message should be marked delivered after hook-check");
  check_eq(fixture::count_spool_messages(spool, Delivery::pending), std::int64_t{0},
           "no pending messages should remain after hook-check");
}

void hook_check_no_messages_returns_empty() {
  auto home = make_sandbox_home();
  register_agent(home.path(), "empty-agent", "test-session-empty-001");

  auto run = run_hook_check(home.path(), "test-session-empty-001");
  check_eq(run.exit_code, 0, "hook-check should always exit 0");
  check(is_blank(run.stdout_text),
        "hook-check with no messages should produce empty stdout, got: " + run.stdout_text);
}

void hook_idle_leaves_messages_for_poll() {
  auto home = make_sandbox_home();
  auto perch = register_agent(home.path(), "idle-drain-agent", "test-session-idle-drain-005");
  fixture::write_inbox_message(perch, "late-sender", "Late message for idle drain");

  auto run = run_hook_idle(home.path(), "test-session-idle-drain-005");
  check_eq(run.exit_code, 0);
  check(run.stdout_text.empty(),
        "hook-idle should produce no stdout (Stop has no hookSpecificOutput), got: " +
            run.stdout_text);
  check_eq(fixture::count_inbox_messages(perch), std::size_t{1},
           "inbox message should remain for poll to deliver");
  check(path_exists(perch / ".idle-ready"), ".idle-ready should be set after hook-idle completes");
}

void hook_idle_sets_idle_ready() {
  auto home = make_sandbox_home();
  auto perch = register_agent(home.path(), "idle-set-agent", "test-session-idle-004");
  check_sentinel_absent(perch, ".idle-ready");

  auto run = run_hook_idle(home.path(), "test-session-idle-004");
  check_eq(run.exit_code, 0, "hook-idle should always exit 0");
  check(path_exists(perch / ".idle-ready"), ".idle-ready should be set by hook-idle");
}

void session_cache_populated_on_lookup() {
  auto home = make_sandbox_home();
  register_agent(home.path(), "cache-agent", "test-session-cache-006");
  auto session_cache = home.path() / ".ruz" / "kivery" / ".session-cache";
  check(!path_exists(session_cache), "session cache should not pre-exist");

  auto run = run_hook_check(home.path(), "test-session-cache-006");
  check_eq(run.exit_code, 0);
  check(path_exists(session_cache), "session cache should be populated after hook-check lookup");
  auto text = fixture::read_utf8_file(session_cache);
  check(contains(text, "test-session-cache-006"),
        "session cache should contain the session_id, got: " + text);
  check(contains(text, "cache-agent"),
        "session cache should map session_id to kiv_id, got: " + text);
}

}  // namespace scenarios
