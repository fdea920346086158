// Finding the agent of a hook's session: payload or environment, through the
// session cache, confirmed against the agents' records.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/kiv/support/sandbox.h"

namespace kiv_test {
namespace {

nlohmann::json cache_of(const Sandbox& sandbox) {
  return nlohmann::json::parse(read_file(sandbox.kivery() / ".session-cache"));
}

// Registers agent-0 .. agent-<count-1> with sessions session-0 ...
void register_agents(const Sandbox& sandbox, int count) {
  for (int i = 0; i < count; ++i) {
    sandbox.register_agent("agent-" + std::to_string(i), "session-" + std::to_string(i));
  }
}

TEST(KivSessionLookup, FirstLookupWritesTheCacheAndKeepsOtherEntries) {
  Sandbox sandbox;
  register_agents(sandbox, 20);
  write_file(sandbox.kivery() / ".session-cache", "{\"older-session\":\"agent-3\"}");

  EXPECT_EQ(sandbox.hook_check("session-17").exit_code, 0);

  auto text = read_file(sandbox.kivery() / ".session-cache");
  EXPECT_EQ(text, "{\"older-session\":\"agent-3\",\"session-17\":\"agent-17\"}");
}

TEST(KivSessionLookup, TakesTheSessionFromThePayloadOrElseTheEnvironment) {
  struct Case {
    const char* name;
    const char* input;
    std::optional<std::string> env;
    const char* expected_agent;
  };
  const std::vector<Case> cases = {
      {"payload", "{\"session_id\":\"session-1\"}", std::nullopt, "agent-1"},
      {"payload wins", "{\"session_id\":\"session-1\"}", "session-2", "agent-1"},
      {"no session_id", "{\"hook_event_name\":\"Stop\"}", "session-2", "agent-2"},
      {"empty session_id", "{\"session_id\":\"\"}", "session-2", "agent-2"},
      {"empty input", "", "session-2", "agent-2"},
  };
  for (const auto& c : cases) {
    Sandbox sandbox;
    register_agents(sandbox, 3);

    auto run = sandbox.run({"hook-idle"}, c.input, c.env);

    EXPECT_EQ(run.exit_code, 0) << c.name;
    for (int i = 0; i < 3; ++i) {
      auto agent = "agent-" + std::to_string(i);
      EXPECT_EQ(entry_exists(sandbox.perch(agent) / ".idle-ready"), agent == c.expected_agent)
          << c.name << ": " << agent;
    }
  }
}

TEST(KivSessionLookup, UntrustworthyCacheEntriesFallBackToTheRecords) {
  struct Case {
    const char* name;
    std::string cache;
  };
  const std::vector<Case> cases = {
      {"stale hit", "{\"session-1\":\"agent-2\"}"},
      {"perch gone", "{\"session-1\":\"gone-agent\"}"},
      {"unsafe id", "{\"session-1\":\"../escape\"}"},
      {"not a text", "{\"session-1\":7}"},
      {"not an object", "[\"session-1\",\"agent-2\"]"},
      {"corrupt", "\x01garbage{{"},
  };
  for (const auto& c : cases) {
    Sandbox sandbox;
    register_agents(sandbox, 3);
    fs::create_directories(sandbox.root() / "escape");
    write_file(sandbox.kivery() / ".session-cache", c.cache);

    auto run = sandbox.hook_idle("session-1");

    EXPECT_EQ(run.exit_code, 0) << c.name;
    EXPECT_TRUE(entry_exists(sandbox.perch("agent-1") / ".idle-ready")) << c.name;
    EXPECT_FALSE(entry_exists(sandbox.perch("agent-2") / ".idle-ready")) << c.name;
    EXPECT_FALSE(entry_exists(sandbox.root() / "escape" / ".idle-ready")) << c.name;
    EXPECT_EQ(cache_of(sandbox)["session-1"], "agent-1") << c.name;
  }
}

TEST(KivSessionLookup, ForgetsAStaleEntryWhenNoAgentHasTheSession) {
  Sandbox sandbox;
  register_agents(sandbox, 2);
  write_file(sandbox.kivery() / ".session-cache",
             "{\"session-9\":\"agent-1\",\"session-0\":\"agent-0\"}");

  auto run = sandbox.hook_idle("session-9");

  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.err, "");
  EXPECT_FALSE(entry_exists(sandbox.perch("agent-1") / ".idle-ready"));
  EXPECT_EQ(cache_of(sandbox), nlohmann::json::parse("{\"session-0\":\"agent-0\"}"));
}

TEST(KivSessionLookup, TwoAgentsClaimingOneSessionResolveToTheFirstId) {
  Sandbox sandbox;
  sandbox.register_agent("b-agent", "shared-session");
  sandbox.register_agent("a-agent", "shared-session");

  auto run = sandbox.hook_idle("shared-session");

  EXPECT_TRUE(entry_exists(sandbox.perch("a-agent") / ".idle-ready"));
  EXPECT_FALSE(entry_exists(sandbox.perch("b-agent") / ".idle-ready"));
  EXPECT_NE(run.err.find("2 agents"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace kiv_test
