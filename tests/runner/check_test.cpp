#include "runner/check.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/failure_of.h"

namespace runner_test {
namespace {

struct MessageForm {
  const char* form;
  std::function<void()> raise;
  std::string message;
};

TEST(RunnerChecks, TheFourMessageForms) {
  const std::vector<MessageForm> forms{
      {"own message", [] { runner::check(false, "hook-check should be quiet, got: x\n"); },
       "hook-check should be quiet, got: x\n"},
      {"assertion", [] { runner::check_assert(false, "perch.join(\".idle-ready\").exists()"); },
       "assertion failed: perch.join(\".idle-ready\").exists()"},
      {"equality", [] { runner::check_eq(3, 0); },
       "assertion `left == right` failed\n  left: 3\n right: 0"},
      {"equality with message",
       [] { runner::check_eq(-1, 0, "deliver should exit 0, stderr: oops\n"); },
       "assertion `left == right` failed: deliver should exit 0, stderr: oops\n\n  left: -1\n"
       " right: 0"},
      {"equality of texts", [] { runner::check_eq(std::string("a b"), std::string_view("")); },
       "assertion `left == right` failed\n  left: a b\n right: "},
      {"unexpected error", [] { runner::fail_unexpected("cannot open /tmp/x: denied"); },
       "unexpected error: cannot open /tmp/x: denied"},
      {"step", [] { runner::fail_step("failed to spawn hook-idle", "no such file: /k"); },
       "failed to spawn hook-idle: no such file: /k"},
  };
  for (const MessageForm& f : forms)
    EXPECT_EQ(test_support::failure_of(f.raise), f.message) << f.form;
}

TEST(RunnerChecks, HoldingChecksRaiseNothing) {
  EXPECT_NO_THROW(runner::check(true, "x"));
  EXPECT_NO_THROW(runner::check_assert(true, "x"));
  EXPECT_NO_THROW(runner::check_eq(std::int64_t{7}, 7));
  EXPECT_NO_THROW(runner::check_eq(std::string("a"), "a", "m"));
}

TEST(RunnerChecks, AFailurePointsAtTheCheck) {
  const auto line = std::source_location::current().line() + 2;
  try {
    runner::check_eq(1, 2);
    ADD_FAILURE() << "check_eq(1, 2) raised nothing";
  } catch (const runner::Failure& failure) {
    EXPECT_EQ(failure.where().line(), line);
    EXPECT_EQ(std::string(failure.where().file_name()), std::string(__FILE__));
  }
}

TEST(RunnerChecks, EqualityReport) {
  EXPECT_EQ(runner::equality_report("1", "0"),
            "assertion `left == right` failed\n  left: 1\n right: 0");
  EXPECT_EQ(runner::equality_report("", "", "m: "),
            "assertion `left == right` failed: m: \n  left: \n right: ");
}

}  // namespace
}  // namespace runner_test
