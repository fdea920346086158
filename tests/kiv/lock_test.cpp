// A spool whose write lock another process holds, and a hook that dies while it
// waits for it: the host is not held, nothing is lost, and `.has-messages`
// stays true while a message is pending.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <chrono>
#include <thread>

#include "tests/kiv/support/sandbox.h"
#include "tests/kiv/support/spool.h"

namespace kiv_test {
namespace {

constexpr char test_session[] = "test-session-lock";
constexpr char test_agent[] = "lock-agent";
const std::string test_payload = "{\"session_id\":\"test-session-lock\"}";

// A hang, not slowness, is the fault here: the bound is far above the hook's
// own wait of about 2 s.
constexpr auto hook_bound = std::chrono::seconds(10);

fs::path agent_with_one_message(const Sandbox& sandbox) {
  auto perch = sandbox.register_agent(test_agent, test_session);
  EXPECT_EQ(sandbox.deliver(test_agent, "friend", "wait for me").exit_code, 0);
  return perch;
}

TEST(KivLock, HookCheckGivesUpOnAHeldLockQuicklyAndLosesNothing) {
  Sandbox sandbox;
  auto perch = agent_with_one_message(sandbox);
  SpoolLock lock(perch);

  auto started = std::chrono::steady_clock::now();
  auto run = sandbox.hook_check(test_session);
  auto took = std::chrono::steady_clock::now() - started;

  EXPECT_LT(took, hook_bound);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("locked"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("stay pending"), std::string::npos) << run.err;
  EXPECT_TRUE(entry_exists(perch / ".has-messages"));

  lock.release();
  EXPECT_EQ(count_rows(perch, 0), 1);
  EXPECT_NE(sandbox.hook_check(test_session).out.find("wait for me"), std::string::npos);
  EXPECT_FALSE(entry_exists(perch / ".has-messages"));
}

TEST(KivLock, DeliverWaitsLongerThanAHookForTheLock) {
  Sandbox sandbox;
  auto perch = agent_with_one_message(sandbox);
  SpoolLock lock(perch);
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::seconds(3));
    lock.release();
  });

  auto run = sandbox.deliver(test_agent, "friend", "after the lock");
  releaser.join();

  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(count_rows(perch, 0), 2);
}

// Killed while it waits for the lock, before anything was drained: the
// sentinel is left as it was found.
TEST(KivLock, AHookCheckKilledBeforeItsCommitLeavesHasMessagesSet) {
#ifdef _WIN32
  GTEST_SKIP() << "kills the hook with a POSIX signal through timeout(1)";
#else
  if (::access("/usr/bin/timeout", X_OK) != 0)
    GTEST_SKIP() << "needs /usr/bin/timeout to kill the hook";
  Sandbox sandbox;
  auto perch = agent_with_one_message(sandbox);
  ASSERT_TRUE(entry_exists(perch / ".has-messages"));
  SpoolLock lock(perch);

  ChildOptions options;
  options.args = {"hook-check"};
  options.input = test_payload;
  auto run = sandbox.run_command({"/usr/bin/timeout", "-s", "KILL", "1", kiv_path()}, options);
  lock.release();

  // timeout(1) ends itself with the signal that killed the hook.
  EXPECT_EQ(run.exit_code, -1) << "the hook was not killed: " << run.err;
  EXPECT_EQ(count_rows(perch, 0), 1);
  EXPECT_TRUE(entry_exists(perch / ".has-messages")) << "a pending row without its sentinel";
#endif
}

}  // namespace
}  // namespace kiv_test
