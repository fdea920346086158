// The Suite against a kiv tool with one fault (kiv_faulty, KIV_FAULT): the one
// case that the fault hits fails with its own message, the other six pass, the
// Suite ends with status 101, and nothing is left in the temporary directory.
// Faults that the cases must tolerate leave all seven passing.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/e2e/report.h"
#include "tests/e2e/suite_run.h"
#include "tests/support/test_tool.h"

namespace {

struct Fault {
  const char* name;               // the KIV_FAULT value
  std::string_view failing_case;  // empty when the fault must be tolerated
  std::string message;            // the failure message of that case
};

constexpr std::string_view chain = "full_hook_chain_deliver_check_idle";
constexpr std::string_view clears_idle = "hook_check_clears_idle_ready";
constexpr std::string_view drains = "hook_check_drains_pending_message";
constexpr std::string_view empty = "hook_check_no_messages_returns_empty";
constexpr std::string_view leaves_inbox = "hook_idle_leaves_messages_for_poll";
constexpr std::string_view sets_idle = "hook_idle_sets_idle_ready";
constexpr std::string_view cache = "session_cache_populated_on_lookup";

// What the Suite sees of a tool that died: no exit code (-1) on POSIX, the
// crash's status on Windows.
#ifdef _WIN32
constexpr std::int32_t killed_exit_code = test_tool::abnormal_exit_code;
#else
constexpr std::int32_t killed_exit_code = -1;
#endif

const Fault faults[] = {
    {"none", {}, {}},
    {"check-prints-unicode-blank", {}, {}},
    {"check-prints-on-stderr", {}, {}},

    {"check-exits-1", empty,
     "assertion `left == right` failed: hook-check should always exit 0\n  left: 1\n right: 0"},
    {"check-prints-empty-object", empty,
     "hook-check with no messages should produce empty stdout, got: {}"},
    {"check-prints-padded-object", empty,
     "hook-check with no messages should produce empty stdout, got: \u00A0{}\u3000\n"},

    {"check-treats-ttl-0-as-expired", drains,
     "hook-check should output hookSpecificOutput JSON, got: "},
    {"check-loses-body", drains,
     "hook-check should include message body in output, got: "
     R"({"hookSpecificOutput":{"additionalContext":"<kiv_messages></kiv_messages>"}})"},
    {"check-shouts-element", drains,
     "hook-check should wrap messages in kiv_messages XML, got: "
     R"({"hookSpecificOutput":{"additionalContext":)"
     R"("<KIV_MESSAGES>Hello from integration test</KIV_MESSAGES>"}})"},
    {"check-keeps-has-messages", drains,
     ".has-messages sentinel should be cleared after hook-check drain"},
    {"check-deletes-row", drains,
     "assertion `left == right` failed: spool message should be marked delivered after "
     "hook-check\n  left: 0\n right: 1"},

    {"check-busy-exits-1", clears_idle, "assertion `left == right` failed\n  left: 1\n right: 0"},
    {"check-keeps-idle-ready", clears_idle,
     ".idle-ready should be cleared by hook-check (agent is busy)"},

    {"idle-exits-2", sets_idle,
     "assertion `left == right` failed: hook-idle should always exit 0\n  left: 2\n right: 0"},
    {"idle-killed", sets_idle,
     "assertion `left == right` failed: hook-idle should always exit 0\n  left: " +
         std::to_string(killed_exit_code) + "\n right: 0"},
    {"idle-skips-idle-ready", sets_idle, ".idle-ready should be set by hook-idle"},

    {"idle-prints-line-feed", leaves_inbox,
     "hook-idle should produce no stdout (Stop has no hookSpecificOutput), got: \n"},
    {"idle-moves-inbox-file", leaves_inbox,
     "assertion `left == right` failed: inbox message should remain for poll to deliver\n"
     "  left: 0\n right: 1"},
    {"idle-adds-inbox-file", leaves_inbox,
     "assertion `left == right` failed: inbox message should remain for poll to deliver\n"
     "  left: 2\n right: 1"},
    {"idle-drain-skips-idle-ready", leaves_inbox,
     ".idle-ready should be set after hook-idle completes"},

    {"check-skips-session-cache", cache,
     "session cache should be populated after hook-check lookup"},
    {"cache-lacks-session", cache,
     "session cache should contain the session_id, got: cache-agent\n"},
    {"cache-lacks-agent", cache,
     "session cache should map session_id to kiv_id, got: "
     R"({"test-session-cache-006":"Cache-Agent"})"},
    {"cache-invalid-utf8", cache,
     "unexpected error: <home>/.ruz/kivery/.session-cache is not valid UTF-8 at byte offset 23"},

    {"deliver-fails", chain,
     "assertion `left == right` failed: deliver should exit 0, stderr: kiv: cannot deliver to "
     "chain-agent: \uFFFD spool is busy\n\n  left: 3\n right: 0"},
    {"deliver-skips-has-messages", chain, ".has-messages should be set after deliver"},
    {"chain-check-prints-on-stderr", chain,
     "hook-check should output the delivered message, got: "},
    {"chain-check-keeps-has-messages", chain,
     "assertion failed: !perch.join(\".has-messages\").exists()"},
    {"chain-check-creates-idle-ready", chain,
     "assertion failed: !perch.join(\".idle-ready\").exists()"},
    {"chain-idle-reprints", chain, "hook-idle should NOT re-output already drained messages"},
};

void PrintTo(const Fault& fault, std::ostream* out) {
  *out << fault.name;
}

class FaultyTool : public testing::TestWithParam<Fault> {};

TEST_P(FaultyTool, OnlyTheCaseTheFaultHitsFails) {
  const Fault& fault = GetParam();
  auto run = e2e::run_suite(HOOK_CHAIN_FAULTY_SUITE, {}, {{"KIV_FAULT", fault.name}});

  EXPECT_EQ(e2e::normalise(run.report, run.temp_dir, true),
            e2e::expected_report(fault.failing_case, fault.message));
  EXPECT_EQ(run.exit_code, fault.failing_case.empty() ? 0 : 101);
  EXPECT_EQ(run.leftovers, std::vector<std::string>{}) << "left behind in " << run.temp_dir;
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultyTool, testing::ValuesIn(faults), [](const auto& info) {
  std::string name = info.param.name;
  for (char& c : name) {
    if (c == '-') {
      c = '_';
    }
  }
  return name;
});

}  // namespace
