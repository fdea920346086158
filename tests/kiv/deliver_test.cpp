// deliver: posts a message to a registered agent, refusing unsafe ids.
#include <gtest/gtest.h>

#include "tests/kiv/support/sandbox.h"
#include "tests/kiv/support/spool.h"
#include "tests/support/scratch_dir.h"

namespace kiv_test {
namespace {

TEST(KivDeliver, QueuesThePendingMessageAndSetsHasMessages) {
  Sandbox sandbox;
  auto perch = sandbox.register_agent("chain-agent", "test-session-chain-007");
  const std::string large(1 << 20, 'x');

  for (const std::string& body : {std::string("Chain test message\n"), std::string(), large}) {
    auto run = sandbox.deliver("chain-agent", "test-sender", body);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, "");
  }

  EXPECT_TRUE(fs::is_regular_file(perch / ".has-messages"));
  EXPECT_EQ(fs::file_size(perch / ".has-messages"), 0u);
  auto rows = read_spool(perch);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].from_id, "test-sender");
  EXPECT_EQ(rows[0].body, "Chain test message\n");
  EXPECT_EQ(rows[1].body, "");
  EXPECT_EQ(rows[2].body, large);
  for (const auto& row : rows) {
    EXPECT_EQ(row.delivered, 0);
    EXPECT_EQ(row.ttl_seconds, 0);
    EXPECT_GT(row.created_at, 1600000000);  // seconds since 1970, not milliseconds
    EXPECT_LT(row.created_at, 100000000000);
  }
}

TEST(KivDeliver, AddsToASpoolMadeByAnotherWriter) {
  Sandbox sandbox;
  auto perch = sandbox.register_agent("chain-agent", "s");
  write_spool(perch, {{"friend", "first", 0, 0, 1}});

  EXPECT_EQ(sandbox.deliver("chain-agent", "test-sender", "second").exit_code, 0);

  EXPECT_EQ(count_rows(perch, 1), 1);
  EXPECT_EQ(count_rows(perch, 0), 1);
}

TEST(KivDeliver, FullChainShowsTheMessageOnceThenIdles) {
  Sandbox sandbox;
  auto perch = sandbox.register_agent("chain-agent", "test-session-chain-007");

  ASSERT_EQ(sandbox.deliver("chain-agent", "test-sender", "Chain test message\n").exit_code, 0);
  ASSERT_TRUE(entry_exists(perch / ".has-messages"));

  auto check = sandbox.hook_check("test-session-chain-007");
  EXPECT_EQ(check.exit_code, 0);
  EXPECT_NE(check.out.find("<message from=\\\"test-sender\\\">Chain test message\\n</message>"),
            std::string::npos)
      << check.out;
  EXPECT_FALSE(entry_exists(perch / ".has-messages"));
  EXPECT_FALSE(entry_exists(perch / ".idle-ready"));

  auto idle = sandbox.hook_idle("test-session-chain-007");
  EXPECT_EQ(idle.exit_code, 0);
  EXPECT_EQ(idle.out, "");
  EXPECT_TRUE(entry_exists(perch / ".idle-ready"));
}

TEST(KivDeliver, RefusesIdsThatAreNotOneSafePathComponent) {
  const std::vector<std::string> bad_ids = {
      "",     ".",           "..",  "../x", ".hidden", "a/b", std::string(129, 'a'),
      "a\\b", "caf\xc3\xa9", "a b", "a\nb", "/abs"};
  Sandbox sandbox;
  sandbox.register_agent("good-agent", "s");
  auto before = sandbox.snapshot();

  for (const auto& id : bad_ids) {
    for (bool as_recipient : {true, false}) {
      SCOPED_TRACE("[" + id + "] as recipient: " + std::to_string(as_recipient));
      auto run = as_recipient ? sandbox.deliver(id, "good-agent", "body")
                              : sandbox.deliver("good-agent", id, "body");
      EXPECT_EQ(run.exit_code, 2);
      // The id is quoted as given (a line break shown as \x0A), which a
      // wrongly decoded argument is not.
      const std::string shown = id == "a\nb" ? "a\\x0Ab" : id;
      EXPECT_NE(run.err.find("invalid"), std::string::npos) << run.err;
      EXPECT_NE(run.err.find("\"" + shown + "\""), std::string::npos) << run.err;
    }
  }
  EXPECT_EQ(sandbox.snapshot(), before);
}

TEST(KivDeliver, AcceptsTheLongestSafeId) {
  Sandbox sandbox;
  const std::string id = "A-z_0." + std::string(122, 'q');
  auto perch = sandbox.register_agent(id, "s");

  EXPECT_EQ(sandbox.deliver(id, id, "hi").exit_code, 0);
  EXPECT_EQ(count_rows(perch, 0), 1);
}

// Delivers to `recipient` and checks that it is refused with nothing changed.
void expect_no_such_agent(const Sandbox& sandbox, const std::string& recipient) {
  auto before = sandbox.snapshot();
  auto run = sandbox.deliver(recipient, "good-agent", "body");
  EXPECT_EQ(run.exit_code, 1) << recipient;
  EXPECT_NE(run.err.find("no such agent"), std::string::npos) << run.err;
  EXPECT_EQ(sandbox.snapshot(), before) << recipient;
}

TEST(KivDeliver, RefusesAnUnregisteredRecipient) {
  Sandbox sandbox;
  sandbox.register_agent("good-agent", "s");
  write_file(sandbox.kivery() / "file-agent", "");

  for (const char* recipient : {"nobody", "file-agent"})
    expect_no_such_agent(sandbox, recipient);
}

TEST(KivDeliver, RefusesARecipientWhosePerchIsALink) {
  Sandbox sandbox;
  sandbox.register_agent("good-agent", "s");
  fs::create_directory(sandbox.home() / "elsewhere");
  if (!test_support::create_symlink(sandbox.home() / "elsewhere", sandbox.kivery() / "link-agent"))
    GTEST_SKIP() << "this platform's file library makes no symbolic links";

  expect_no_such_agent(sandbox, "link-agent");
}

TEST(KivDeliver, AnswersHelpVersionAndUsageErrors) {
  Sandbox sandbox;
  auto help = sandbox.run({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("deliver"), std::string::npos);
  auto version = sandbox.run({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_NE(version.out, "");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"deliver", "only-one"}, {"no-such-command"}}) {
    EXPECT_EQ(sandbox.run(args).exit_code, 2);
  }
}

}  // namespace
}  // namespace kiv_test
