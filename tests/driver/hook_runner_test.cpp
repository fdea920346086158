#include "driver/hook_runner.h"

#include <gtest/gtest.h>

#include <functional>
#include <source_location>
#include <string>
#include <thread>
#include <vector>

#include "driver/kiv_command.h"
#include "runner/failure.h"
#include "tests/driver/test_support.h"
#include "tests/support/failure_of.h"
#include "tests/support/test_tool.h"

namespace driver {
namespace {

using driver_test::echo_report;
using driver_test::EchoRun;
using driver_test::has_child_process;
using driver_test::TempDir;
using test_support::failure_of;

bool starts_with(const std::string& text, const std::string& prefix) {
  return text.rfind(prefix, 0) == 0;
}

TEST(HookPayload, IsCompactJsonInInsertionOrder) {
  EXPECT_EQ(hook_check_payload("test-session-empty-001"),
            R"({"session_id":"test-session-empty-001"})");
  EXPECT_EQ(hook_idle_payload("test-session-idle-004"),
            R"({"session_id":"test-session-idle-004","hook_event_name":"Stop"})");
  EXPECT_EQ(hook_check_payload("a\"b"), R"({"session_id":"a\"b"})");
}

TEST(KivCommand, SetsTheSandboxHomeAndNothingElse) {
  const std::filesystem::path home = "/tmp/sandbox home";
  Command command = kiv_command(home);
  EXPECT_EQ(command.program(), kiv_executable());
  EXPECT_TRUE(command.args().empty());

  const ProcessOutput output = spawn(command).wait_with_output();
  EXPECT_EQ(output.stdout_bytes, echo_report({.home = home.string(),
                                              .userprofile = home.string(),
                                              .ruz_home = (home / ".ruz").string()}));
}

TEST(HookRunner, BothRunnersFeedThePayloadWithTheSessionEnvironment) {
  TempDir home;
  const std::string home_text = path_text(home.path());
  const std::string ruz_home = path_text(home.path() / ".ruz");

  const HookRun check = run_hook_check(home.path(), "test-session-msg-002");
  const std::string check_payload = R"({"session_id":"test-session-msg-002"})";
  EXPECT_EQ(check.stdout_text, echo_report({.args = {"hook-check"},
                                            .home = home_text,
                                            .userprofile = home_text,
                                            .ruz_home = ruz_home,
                                            .session_id = "test-session-msg-002",
                                            .input = check_payload}));
  EXPECT_EQ(check.stderr_text, check_payload);
  EXPECT_EQ(check.exit_code, 0);

  const HookRun idle = run_hook_idle(home.path(), "test-session-idle-004");
  const std::string idle_payload =
      R"({"session_id":"test-session-idle-004","hook_event_name":"Stop"})";
  EXPECT_EQ(idle.stdout_text, echo_report({.args = {"hook-idle"},
                                           .home = home_text,
                                           .userprofile = home_text,
                                           .ruz_home = ruz_home,
                                           .session_id = "test-session-idle-004",
                                           .input = idle_payload}));
  EXPECT_EQ(idle.stderr_text, idle_payload);
}

// -1 stands for no exit code, which only POSIX has: a killed Windows child
// reports the code it was ended with.
TEST(HookRunner, ExitCodeIsReportedAndMinusOneWhenKilled) {
  TempDir home;
  EXPECT_EQ(run_hook(STUB_TOOL, "exit-2", "{}", home.path(), "s").exit_code, 2);
#ifdef _WIN32
  const std::int32_t killed = test_tool::abnormal_exit_code;
#else
  const std::int32_t killed = -1;
#endif
  EXPECT_EQ(run_hook(STUB_TOOL, "killed", "{}", home.path(), "s").exit_code, killed);
}

TEST(HookRunner, InvalidUtf8InOutputBecomesReplacementCharacters) {
  TempDir home;
  const HookRun run = run_hook(STUB_TOOL, "invalid-utf8", "{}", home.path(), "s");
  EXPECT_EQ(run.stdout_text, "ok \uFFFD\uFFFD end\n");
  EXPECT_EQ(run.stderr_text, "cut \uFFFD");
}

TEST(HookRunner, MissingToolFailsTheSpawnStepAtTheCaller) {
  TempDir home;
  const std::string tool = path_text(home.path() / "nonexistent" / "kiv");
  for (const std::string subcommand : {"hook-check", "hook-idle"}) {
    const auto call_site = std::source_location::current();
    try {
      run_hook(tool, subcommand, "{}", home.path(), "s", call_site);
      ADD_FAILURE() << "expected a failure";
    } catch (const runner::Failure& failure) {
      EXPECT_TRUE(starts_with(failure.message(), "failed to spawn " + subcommand + ": "))
          << failure.message();
      EXPECT_NE(failure.message().find(tool), std::string::npos) << failure.message();
      EXPECT_EQ(failure.where().line(), call_site.line());
    }
  }
}

// A tool that ends its input early makes the write fail; the runner must still
// let it finish and reap it before the case fails, as the sandbox goes next.
TEST(HookRunner, FailedWriteReapsTheChildBeforeFailing) {
  TempDir home;
  const std::string more_than_a_pipe_holds(1024 * 1024, 'x');
  const std::string message = failure_of(
      [&] { run_hook(STUB_TOOL, "no-read-finish", more_than_a_pipe_holds, home.path(), "s"); });

  EXPECT_TRUE(starts_with(message, "unexpected error: cannot write")) << message;
  EXPECT_TRUE(std::filesystem::exists(home.path() / "finished"));
  EXPECT_FALSE(has_child_process());
}

TEST(HookRunner, ManyRunsOnParallelThreadsLeaveNoDescriptorOrChild) {
  constexpr int threads = 8;
  constexpr int runs_per_thread = 25;
  const std::size_t fds_before = driver_test::open_fd_count();

  std::vector<int> mismatches(threads, 0);
  {
    std::vector<std::jthread> workers;
    for (int t = 0; t < threads; ++t) {
      workers.emplace_back([t, &mismatches] {
        for (int run = 0; run < runs_per_thread; ++run) {
          const std::filesystem::path home = std::filesystem::path("/sandbox") / std::to_string(t);
          const std::string session =
              "test-session-" + std::to_string(t) + "-" + std::to_string(run);
          const HookRun result = run_hook_check(home, session);
          const std::string payload = R"({"session_id":")" + session + "\"}";
          const std::string expected = echo_report({.args = {"hook-check"},
                                                    .home = path_text(home),
                                                    .userprofile = path_text(home),
                                                    .ruz_home = path_text(home / ".ruz"),
                                                    .session_id = session,
                                                    .input = payload});
          if (result.stdout_text != expected || result.exit_code != 0)
            ++mismatches[t];
        }
      });
    }
  }

  EXPECT_EQ(mismatches, std::vector<int>(threads, 0));
  EXPECT_EQ(driver_test::open_fd_count(), fds_before);
  EXPECT_FALSE(has_child_process());
}

}  // namespace
}  // namespace driver
