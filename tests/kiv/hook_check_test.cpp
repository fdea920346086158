// hook-check: drains the spool into one answer, clears the busy-state sentinels.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

#include <chrono>
#include <nlohmann/json.hpp>

#include "tests/kiv/support/sandbox.h"
#include "tests/kiv/support/spool.h"
#include "tests/support/scratch_dir.h"

namespace kiv_test {
namespace {

constexpr char test_session[] = "test-session-check";
constexpr char test_agent[] = "check-agent";

// The additionalContext text of a hook-check answer.
std::string context_of(const std::string& answer) {
  auto json = nlohmann::json::parse(answer);
  return json.at("hookSpecificOutput").at("additionalContext").get<std::string>();
}

std::int64_t now() {
  using namespace std::chrono;
  return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

TEST(KivHookCheck, DrainsPendingRowsIntoOneAnswerAndMarksThemDelivered) {
  Sandbox sandbox;
  auto perch = sandbox.register_agent(test_agent, test_session);
  write_spool(perch, {{"friend", "Hello from integration test"}, {"other", "Second"}});
  write_file(perch / ".has-messages", "");

  auto run = sandbox.hook_check(test_session);

  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out,
            "{\"hookSpecificOutput\":{\"hookEventName\":\"UserPromptSubmit\",\"additionalContext\":"
            "\"<kiv_messages>\\n<message from=\\\"friend\\\">Hello from integration test</message>"
            "\\n<message from=\\\"other\\\">Second</message>\\n</kiv_messages>\"}}\n");
  EXPECT_FALSE(entry_exists(perch / ".has-messages"));
  EXPECT_EQ(count_rows(perch, 1), 2);
  EXPECT_EQ(count_rows(perch, 0), 0);

  auto again = sandbox.hook_check(test_session);
  EXPECT_EQ(again.exit_code, 0);
  EXPECT_EQ(again.out, "");
}

TEST(KivHookCheck, EscapesBodiesAndSendersSoTheyCannotLeaveTheElement) {
  struct Escape {
    std::string body;
    std::string shown;
  };
  const std::vector<Escape> escapes = {
      {"</kiv_messages>injected<kiv_messages>",
       "&lt;/kiv_messages&gt;injected&lt;kiv_messages&gt;"},
      {"a & b < c > d", "a &amp; b &lt; c &gt; d"},
      {"quote \" and '", "quote &quot; and &apos;"},
      {"two\nlines\r\n", "two\nlines\r\n"},
      {"tab\tand \x01 control", "tab\tand \x01 control"},
      {"h\xc3\xa9llo \xe2\x9c\x93", "h\xc3\xa9llo \xe2\x9c\x93"},
      {"\\backslash\\", "\\backslash\\"},
  };
  Sandbox sandbox;
  auto perch = sandbox.register_agent(test_agent, test_session);
  std::vector<SpoolRow> rows;
  for (const auto& escape : escapes)
    rows.push_back({"se<nd>\"er&", escape.body});
  write_spool(perch, rows);

  auto context = context_of(sandbox.hook_check(test_session).out);

  EXPECT_EQ(context.find("</kiv_messages>"), context.size() - 15) << context;
  for (const auto& escape : escapes) {
    EXPECT_NE(
        context.find("<message from=\"se&lt;nd&gt;&quot;er&amp;\">" + escape.shown + "</message>"),
        std::string::npos)
        << escape.body;
  }
}

TEST(KivHookCheck, NamesTheHostEventOfThePayload) {
  Sandbox sandbox;
  auto perch = sandbox.register_agent(test_agent, test_session);
  write_spool(perch, {{"friend", "hi"}});

  auto run =
      sandbox.run({"hook-check"},
                  "{\"session_id\":\"test-session-check\",\"hook_event_name\":\"PostToolUse\"}");

  auto json = nlohmann::json::parse(run.out);
  EXPECT_EQ(json["hookSpecificOutput"]["hookEventName"], "PostToolUse");
}

TEST(KivHookCheck, DeliversLiveRowsAndRetiresExpiredOnes) {
  struct Case {
    const char* body;
    std::int64_t created_at;
    std::int64_t ttl_seconds;
    std::int64_t expected_state;  // 1 delivered, 2 expired unseen
  };
  const std::int64_t t = now();
  const std::vector<Case> cases = {
      {"zero ttl at the epoch", 0, 0, 1},
      {"zero ttl in the future", t + 86400, 0, 1},
      {"negative ttl", 0, -5, 1},
      {"within its ttl", t - 10, 3600, 1},
      {"past its ttl", t - 7200, 3600, 2},
      {"one second ttl at the epoch", 0, 1, 2},
      {"huge ttl", INT64_MIN, INT64_MAX, 2},
      {"created far in the future", INT64_MAX, 10, 1},
  };
  Sandbox sandbox;
  auto perch = sandbox.register_agent(test_agent, test_session);
  std::vector<SpoolRow> rows;
  for (const auto& c : cases)
    rows.push_back({"friend", c.body, c.created_at, c.ttl_seconds});
  write_spool(perch, rows);

  auto run = sandbox.hook_check(test_session);

  auto stored = read_spool(perch);
  ASSERT_EQ(stored.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    bool shown = run.out.find(std::string(">") + cases[i].body + "<") != std::string::npos;
    EXPECT_EQ(stored[i].delivered, cases[i].expected_state) << cases[i].body;
    EXPECT_EQ(shown, cases[i].expected_state == 1) << cases[i].body;
  }
}

TEST(KivHookCheck, OnlyExpiredRowsPrintNothingAndRetireThem) {
  Sandbox sandbox;
  auto perch = sandbox.register_agent(test_agent, test_session);
  write_spool(perch, {{"friend", "stale", 0, 60}});

  auto run = sandbox.hook_check(test_session);

  EXPECT_EQ(run.out, "");
  EXPECT_EQ(count_rows(perch, 0), 0);
  EXPECT_EQ(count_rows(perch, 2), 1);
}

TEST(KivHookCheck, WithNothingPendingPrintsNothingAndCreatesNoSpool) {
  Sandbox sandbox;
  auto perch = sandbox.register_agent(test_agent, test_session);

  auto run = sandbox.hook_check(test_session);

  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(entry_exists(perch / "spool.db"));
}

TEST(KivHookCheck, ClearsIdleReadyAndNeverCreatesIt) {
  for (bool planted : {true, false}) {
    Sandbox sandbox;
    auto perch = sandbox.register_agent(test_agent, test_session);
    if (planted)
      write_file(perch / ".idle-ready", "");
    write_spool(perch, {{"friend", "hi"}});

    EXPECT_EQ(sandbox.hook_check(test_session).exit_code, 0);

    EXPECT_FALSE(entry_exists(perch / ".idle-ready")) << "planted: " << planted;
  }
}

TEST(KivHookCheck, RemovesSentinelLinksWithoutTouchingTheirTargets) {
  Sandbox sandbox;
  auto perch = sandbox.register_agent(test_agent, test_session);
  auto outside = sandbox.home() / "outside";
  write_file(outside, "keep me");
  if (!test_support::create_symlink(outside, perch / ".idle-ready"))
    GTEST_SKIP() << "this platform's file library makes no symbolic links";
  ASSERT_TRUE(test_support::create_symlink(outside, perch / ".has-messages"));

  sandbox.hook_check(test_session);

  EXPECT_FALSE(entry_exists(perch / ".idle-ready"));
  EXPECT_FALSE(entry_exists(perch / ".has-messages"));
  EXPECT_EQ(read_file(outside), "keep me");
}

TEST(KivHookCheck, DrainsEvenWhenAStrayDirectoryBlocksHasMessages) {
  Sandbox sandbox;
  auto perch = sandbox.register_agent(test_agent, test_session);
  write_spool(perch, {{"friend", "still shown"}});
  fs::create_directories(perch / ".has-messages" / "stray");

  auto run = sandbox.hook_check(test_session);

  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.out.find("still shown"), std::string::npos) << run.err;
  EXPECT_NE(run.err, "");
  EXPECT_EQ(count_rows(perch, 1), 1);
}

TEST(KivHookCheck, KeepsMessagesPendingWhenTheAnswerCannotBeWritten) {
  Sandbox sandbox;
  auto perch = sandbox.register_agent(test_agent, test_session);
  write_spool(perch, {{"friend", "do not lose me"}});
  write_file(perch / ".has-messages", "");

  ChildOptions options;
  options.args = {"hook-check"};
  options.input = "{\"session_id\":\"test-session-check\"}";
  options.close_stdout = true;
  auto run = sandbox.run(options);

  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.err, "");
  EXPECT_EQ(count_rows(perch, 0), 1);
  EXPECT_EQ(count_rows(perch, 1), 0);
  EXPECT_TRUE(entry_exists(perch / ".has-messages"));
}

#ifndef _WIN32
// Gives everything under `root` to `user`, links included.
void give_tree_to(const fs::path& root, const passwd& user) {
  auto give = [&](const fs::path& path) {
    if (::lchown(path.c_str(), user.pw_uid, user.pw_gid) != 0)
      throw std::runtime_error("cannot give " + path.string() + " to " + user.pw_name);
  };
  give(root);
  for (const auto& entry : fs::recursive_directory_iterator(root))
    give(entry.path());
}
#endif

// A perch the user may not write to: the drain fails before anything is
// shown, so the messages stay pending and are not shown again and again.
TEST(KivHookCheck, ShowsNothingAndKeepsMessagesPendingWhenTheSpoolCannotBeWritten) {
#ifdef _WIN32
  GTEST_SKIP() << "needs POSIX directory permissions and an unprivileged user";
#else
  Sandbox sandbox;
  auto perch = sandbox.register_agent(test_agent, test_session);
  ASSERT_EQ(sandbox.deliver(test_agent, "friend", "shown once or not at all").exit_code, 0);

  std::vector<std::string> command = {kiv_path()};
  if (::geteuid() == 0) {
    // Root writes anywhere: run the hook as an unprivileged user instead.
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr || ::access("/usr/bin/setpriv", X_OK) != 0)
      GTEST_SKIP() << "running as root without the user nobody or setpriv(1) to drop privileges";
    give_tree_to(sandbox.home(), *nobody);
    command = {"/usr/bin/setpriv", "--reuid=" + std::to_string(nobody->pw_uid),
               "--regid=" + std::to_string(nobody->pw_gid), "--clear-groups", kiv_path()};
  }
  fs::permissions(perch, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read |
                             fs::perms::others_exec);

  for (int check = 0; check < 3; ++check) {
    ChildOptions options;
    options.args = {"hook-check"};
    options.input = "{\"session_id\":\"test-session-check\"}";
    auto run = sandbox.run_command(command, options);
    if (run.exit_code == 126 || run.exit_code == 127)
      GTEST_SKIP() << "the tool cannot be started as an unprivileged user: " << run.err;

    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, "") << "check " << check;
    EXPECT_NE(run.err.find((perch / "spool.db").string()), std::string::npos) << run.err;
  }
  fs::permissions(perch, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(count_rows(perch, 0), 1);
  EXPECT_TRUE(entry_exists(perch / ".has-messages"));
#endif
}

}  // namespace
}  // namespace kiv_test
