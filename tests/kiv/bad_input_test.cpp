// Hooks facing bad input: they print nothing, explain on standard error, exit 0
// and change nothing.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "driver/path_text.h"
#include "tests/kiv/support/sandbox.h"
#include "tests/kiv/support/spool.h"
#include "tests/support/scratch_dir.h"

namespace kiv_test {
namespace {

constexpr char test_session[] = "test-session-bad";
constexpr char test_agent[] = "bad-agent";
const std::string test_payload = "{\"session_id\":\"test-session-bad\"}";

std::string random_bytes(size_t size) {
  std::mt19937 generator(42);
  std::string bytes(size, '\0');
  for (auto& byte : bytes)
    byte = static_cast<char>(generator());
  return bytes;
}

struct BadInput {
  const char* name;
  std::function<void(const Sandbox&)> prepare;
  std::string input;
  std::optional<std::string> env;
  const char* says = nullptr;  // a text standard error must hold
  bool idle_too = true;        // hook-idle meets the same input
};

const std::vector<BadInput>& bad_inputs() {
  auto registered = [](const Sandbox& s) { s.register_agent(test_agent, test_session); };
  static const std::vector<BadInput> cases = {
      {"malformed payload", registered, "{\"session_id\":", test_session, "not valid JSON"},
      {"payload not UTF-8", registered, "{\"session_id\":\"test-session-bad\xff\"}", test_session,
       "not UTF-8"},
      {"payload not an object", registered, "[\"test-session-bad\"]", test_session,
       "not an object"},
      {"empty input without env", registered, "", std::nullopt},
      {"no session_id without env", registered, "{\"hook_event_name\":\"Stop\"}", std::nullopt},
      {"unknown session", registered, "{\"session_id\":\"nobody-session\"}", "nobody-session"},
      {"no kivery", [](const Sandbox& s) { fs::remove_all(s.kivery()); }, test_payload,
       test_session},
      {"perch is a file",
       [](const Sandbox& s) { write_file(s.kivery() / test_agent, test_session); }, test_payload,
       test_session},
      {"info.json is a directory",
       [](const Sandbox& s) {
         auto perch = s.register_agent(test_agent, test_session);
         fs::remove(perch / "info.json");
         fs::create_directory(perch / "info.json");
       },
       test_payload, test_session},
      {"info.json not JSON",
       [](const Sandbox& s) {
         write_file(s.register_agent(test_agent, test_session) / "info.json",
                    "{\"session_id\":\"test-");
       },
       test_payload, test_session},
      {"corrupt spool",
       [](const Sandbox& s) {
         auto perch = s.register_agent(test_agent, test_session);
         EXPECT_EQ(s.hook_check(test_session).exit_code, 0);  // warms the session cache
         write_file(perch / "spool.db", random_bytes(8192));
         write_file(perch / ".has-messages", "");
       },
       test_payload, test_session, nullptr, false},
  };
  return cases;
}

// Runs `hook` in the prepared sandbox and checks that it refuses quietly.
void expect_quiet_refusal(const Sandbox& sandbox, const char* hook, const BadInput& c) {
  auto before = sandbox.snapshot();

  auto run = sandbox.run({hook}, c.input, c.env);

  EXPECT_EQ(run.exit_code, 0) << c.name << ", " << hook;
  EXPECT_EQ(run.out, "") << c.name << ", " << hook;
  EXPECT_NE(run.err, "") << c.name << ", " << hook;
  if (c.says != nullptr) {
    EXPECT_NE(run.err.find(c.says), std::string::npos) << c.name << ", " << hook << ": " << run.err;
  }
  EXPECT_EQ(sandbox.snapshot(), before) << c.name << ", " << hook;
}

TEST(KivBadInput, HooksPrintNothingExplainAndChangeNothing) {
  for (const auto& c : bad_inputs()) {
    for (const char* hook : {"hook-check", "hook-idle"}) {
      if (std::string(hook) == "hook-idle" && !c.idle_too)
        continue;
      Sandbox sandbox;
      c.prepare(sandbox);
      expect_quiet_refusal(sandbox, hook, c);
    }
  }
}

TEST(KivBadInput, HooksRefuseAPerchThatIsALink) {
  const BadInput c{"perch is a link", nullptr, test_payload, test_session};
  for (const char* hook : {"hook-check", "hook-idle"}) {
    Sandbox sandbox;
    sandbox.register_agent("real-agent", test_session);
    fs::rename(sandbox.perch("real-agent"), sandbox.home() / "real-agent");
    if (!test_support::create_symlink(sandbox.home() / "real-agent", sandbox.perch(test_agent)))
      GTEST_SKIP() << "this platform's file library makes no symbolic links";
    expect_quiet_refusal(sandbox, hook, c);
  }
}

// A host may pass words the hook does not know; the hook still does its work.
TEST(KivBadInput, HooksIgnoreUnexpectedArguments) {
  Sandbox sandbox;
  auto perch = sandbox.register_agent(test_agent, test_session);

  auto idle = sandbox.run({"hook-idle", "--unknown", "extra"}, test_payload);
  EXPECT_EQ(idle.exit_code, 0) << idle.err;
  EXPECT_EQ(idle.out, "");
  EXPECT_TRUE(entry_exists(perch / ".idle-ready"));

  auto check = sandbox.run({"hook-check", "extra"}, test_payload);
  EXPECT_EQ(check.exit_code, 0) << check.err;
  EXPECT_FALSE(entry_exists(perch / ".idle-ready"));
}

// A spool.db (or its journal) that is a link is refused, never followed: the
// tool writes nothing outside its data root and shows nothing from elsewhere.
TEST(KivBadInput, SpoolLinksAreRefusedAndTheirTargetsKept) {
  struct SpoolLink {
    const char* name;
    const char* entry;  // the link in the perch
    std::function<fs::path(const Sandbox&)> target;
  };
  const std::vector<SpoolLink> links = {
      {"dangling", "spool.db", [](const Sandbox& s) { return s.home() / "nowhere.db"; }},
      {"to an empty outside file", "spool.db",
       [](const Sandbox& s) {
         write_file(s.home() / "empty", "");
         return s.home() / "empty";
       }},
      {"to an outside database", "spool.db",
       [](const Sandbox& s) {
         fs::create_directory(s.home() / "elsewhere");
         write_spool(s.home() / "elsewhere", {{"stranger", "not for this agent"}});
         return s.home() / "elsewhere" / "spool.db";
       }},
      {"in the journal's place", "spool.db-journal",
       [](const Sandbox& s) {
         EXPECT_EQ(s.deliver(test_agent, "friend", "real message").exit_code, 0);
         write_file(s.home() / "keep", "keep me");
         return s.home() / "keep";
       }},
  };
  for (const auto& link : links) {
    for (const char* command : {"deliver", "hook-check"}) {
      Sandbox sandbox;
      auto perch = sandbox.register_agent(test_agent, test_session);
      EXPECT_EQ(sandbox.hook_check(test_session).exit_code, 0);  // warms the session cache
      if (!test_support::create_symlink(link.target(sandbox), perch / link.entry))
        GTEST_SKIP() << "this platform's file library makes no symbolic links";
      auto before = sandbox.snapshot();

      auto run = std::string(command) == "deliver" ? sandbox.deliver(test_agent, "friend", "hi")
                                                   : sandbox.hook_check(test_session);

      EXPECT_EQ(run.exit_code, std::string(command) == "deliver" ? 1 : 0)
          << link.name << ", " << command;
      EXPECT_EQ(run.out, "") << link.name << ", " << command;
      EXPECT_NE(run.err.find(driver::path_text(perch / link.entry)), std::string::npos)
          << link.name << ", " << command << ": " << run.err;
      EXPECT_EQ(sandbox.snapshot(), before) << link.name << ", " << command;
    }
  }
}

TEST(KivBadInput, DiagnosticsCutHugeIds) {
  Sandbox sandbox;
  sandbox.register_agent(test_agent, test_session);
  const std::string huge(10 << 20, 's');

  auto check = sandbox.run({"hook-check"}, "{\"session_id\":\"" + huge + "\"}");
  EXPECT_EQ(check.exit_code, 0);
  EXPECT_LT(check.err.size(), 2048u);
  EXPECT_NE(check.err.find("more bytes"), std::string::npos) << check.err;

  // Well within a command line's bounds (32,767 characters on Windows).
  auto deliver = sandbox.deliver(std::string(20000, 'r'), "friend", "hi");
  EXPECT_EQ(deliver.exit_code, 2);
  EXPECT_LT(deliver.err.size(), 2048u);
}

TEST(KivBadInput, ASessionIdThatIsNoTextIsNotedBeforeTheFallback) {
  Sandbox sandbox;
  auto perch = sandbox.register_agent(test_agent, test_session);

  auto run = sandbox.run({"hook-idle"}, "{\"session_id\":42}", test_session);

  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.err.find("session_id is a number"), std::string::npos) << run.err;
  EXPECT_TRUE(entry_exists(perch / ".idle-ready"));
}

}  // namespace
}  // namespace kiv_test
