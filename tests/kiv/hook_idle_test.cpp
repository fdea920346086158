// hook-idle: marks the agent idle-ready and leaves its messages alone.
#include <gtest/gtest.h>

#include "tests/kiv/support/sandbox.h"
#include "tests/kiv/support/spool.h"
#include "tests/support/scratch_dir.h"

namespace kiv_test {
namespace {

constexpr char test_session[] = "test-session-idle";
constexpr char test_agent[] = "idle-agent";

TEST(KivHookIdle, SetsIdleReadyPrintsNothingAndLeavesMessagesAlone) {
  Sandbox sandbox;
  auto perch = sandbox.register_agent(test_agent, test_session);
  write_file(perch / "inbox" / "1700000000000000000-99999.msg",
             "__REPLY_TO__:late-sender\nLate message for idle drain");
  write_spool(perch, {{"friend", "still pending"}});
  write_file(perch / ".has-messages", "");
  auto before = sandbox.snapshot();

  auto run = sandbox.hook_idle(test_session);

  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out.size(), 0u) << run.out;
  ASSERT_TRUE(entry_exists(perch / ".idle-ready"));
  EXPECT_TRUE(fs::is_regular_file(perch / ".idle-ready"));
  EXPECT_EQ(fs::file_size(perch / ".idle-ready"), 0u);
  // Apart from the sentinel and the session cache, nothing changed.
  fs::remove(perch / ".idle-ready");
  fs::remove(sandbox.kivery() / ".session-cache");
  EXPECT_EQ(sandbox.snapshot(), before);
}

TEST(KivHookIdle, KeepsAnExistingSentinel) {
  Sandbox sandbox;
  auto perch = sandbox.register_agent(test_agent, test_session);
  fs::create_directory(perch / ".idle-ready");

  EXPECT_EQ(sandbox.hook_idle(test_session).exit_code, 0);
  EXPECT_TRUE(fs::is_directory(perch / ".idle-ready"));
  EXPECT_EQ(sandbox.hook_idle(test_session).exit_code, 0);
}

TEST(KivHookIdle, ReplacesASentinelLinkInsteadOfFollowingIt) {
  Sandbox sandbox;
  auto perch = sandbox.register_agent(test_agent, test_session);
  auto outside = sandbox.home() / "outside";
  // Dangling: following it would create `outside`.
  if (!test_support::create_symlink(outside, perch / ".idle-ready"))
    GTEST_SKIP() << "this platform's file library makes no symbolic links";

  EXPECT_EQ(sandbox.hook_idle(test_session).exit_code, 0);

  EXPECT_FALSE(fs::is_symlink(perch / ".idle-ready"));
  EXPECT_TRUE(fs::is_regular_file(perch / ".idle-ready"));
  EXPECT_FALSE(entry_exists(outside));
}

}  // namespace
}  // namespace kiv_test
