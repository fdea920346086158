#include <gtest/gtest.h>

#include <stdexcept>

#include "runner/failure.h"
#include "runner/platform.h"
#include "tests/runner/runner_fixture.h"

#if defined(__linux__)
#include <pthread.h>
#endif

namespace runner_test {
namespace {

const std::string note =
    "note: run with `SUITE_BACKTRACE=1` environment variable to display a backtrace\n";

runner::CaseOutcome throws_runtime_error() {
  throw std::runtime_error("kaputt");
}
runner::CaseOutcome throws_int() {
  throw 42;
}

// The captured output shown under the case's heading, without the line break
// the report adds after it.
std::string shown_output(const RunOutcome& outcome, const std::string& name) {
  const std::string text = normalised(outcome.out);
  const std::string heading = "---- " + name + " stdout ----\n";
  const auto start = text.find(heading);
  if (start == std::string::npos)
    return "(no output shown for " + name + ")";
  const auto end = text.find("\n---- ", start + heading.size());
  const auto failures = text.find("\n\nfailures:\n", start);
  return text.substr(start + heading.size(), std::min(end, failures) - start - heading.size());
}

runner::CaseDescriptor positioned(std::string_view name, runner::CaseEntry entry) {
  runner::CaseDescriptor c = make_case(name, entry);
  c.position = {.file = "suite/cases.cpp", .line = 12, .first_column = 5, .last_column = 9};
  return c;
}

TEST(RunnerExecution, ExceptionsOtherThanFailuresFailTheCase) {
  const SyntheticRegistry registry{positioned("a_runtime_error", &throws_runtime_error),
                                   positioned("b_int", &throws_int), make_case("c_fine", &passes)};
  const RunOutcome outcome = run_with({"--test-threads=1"}, registry);
  EXPECT_EQ(shown_output(outcome, "a_runtime_error"),
            "\nthread 'a_runtime_error' (TID) failed at suite/cases.cpp:12:5:\n"
            "case threw an exception: kaputt\n" +
                note);
  EXPECT_EQ(shown_output(outcome, "b_int"),
            "\nthread 'b_int' (TID) failed at suite/cases.cpp:12:5:\n"
            "case threw an exception that is not a std::exception\n");
  EXPECT_NE(outcome.out.find("1 passed; 2 failed;"), std::string::npos);
  EXPECT_EQ(outcome.status, 101);
}

TEST(RunnerExecution, ShouldFailCasesPassOnlyByFailing) {
  runner::CaseDescriptor fails_as_expected = make_case("a_fails_as_expected", &fails);
  fails_as_expected.should_fail = true;
  runner::CaseDescriptor returns = make_case("b_returns", &passes);
  returns.should_fail = true;
  const SyntheticRegistry registry{fails_as_expected, returns};

  const RunOutcome outcome = run_with({"--test-threads=1"}, registry);
  EXPECT_NE(outcome.out.find("test a_fails_as_expected ... ok\ntest b_returns ... FAILED\n"),
            std::string::npos);
  EXPECT_EQ(shown_output(outcome, "b_returns"), "note: case did not fail as expected\n");
  EXPECT_EQ(outcome.status, 101);
}

TEST(RunnerExecution, BacktraceVariableReplacesTheNoteWithATrace) {
  const SyntheticRegistry registry{make_case("a_fails", &fails),
                                   positioned("b_throws", &throws_runtime_error)};
  FakeEnvironment traced;
  traced.variables["SUITE_BACKTRACE"] = "1";
  const RunOutcome outcome = run_with({"--test-threads=1"}, registry, traced);

  const std::string a = shown_output(outcome, "a_fails");
  const std::string head = "\nthread 'a_fails' (TID) failed at " + failure_position() +
                           ":\nboom\nstack backtrace:\n   0: ";
  EXPECT_EQ(a.substr(0, head.size()), head);
  EXPECT_EQ(outcome.out.find("note: run with"), std::string::npos);
  EXPECT_NE(shown_output(outcome, "b_throws")
                .find("kaputt\nstack backtrace: not recorded for exceptions other than failed "
                      "checks\n"),
            std::string::npos);

  FakeEnvironment switched_off;
  switched_off.variables["SUITE_BACKTRACE"] = "0";
  const RunOutcome plain = run_with({}, SyntheticRegistry{make_case("a", &fails)}, switched_off);
  EXPECT_NE(plain.out.find(note), std::string::npos);
  EXPECT_EQ(plain.out.find("stack backtrace"), std::string::npos);
}

TEST(RunnerExecution, FailuresOutsideARunCarryNoTrace) {
  try {
    runner::fail("outside");
    ADD_FAILURE() << "fail raised nothing";
  } catch (const runner::Failure& failure) {
    EXPECT_EQ(failure.stack_trace().size, 0u);
  }
}

// Read by the test after the run; written by the body on its worker thread.
std::string seen_thread_name;
std::uint64_t seen_thread_id = 0;

runner::CaseOutcome records_its_thread() {
  seen_thread_id = runner::platform::current_thread_id();
#if defined(__linux__)
  char name[16] = {};
  pthread_getname_np(pthread_self(), name, sizeof name);
  seen_thread_name = name;
#endif
  runner::fail("recorded", failure_site());
}

TEST(RunnerExecution, EachCaseRunsOnAThreadNamedAfterIt) {
  const SyntheticRegistry registry{make_case("a_case_with_a_long_name", &records_its_thread)};
  const RunOutcome outcome = run_with({}, registry);
  EXPECT_NE(outcome.out.find("thread 'a_case_with_a_long_name' (" + std::to_string(seen_thread_id) +
                             ") failed at"),
            std::string::npos);
  EXPECT_NE(seen_thread_id, runner::platform::current_thread_id());
#if defined(__linux__)
  EXPECT_EQ(seen_thread_name, "a_case_with_a_l");  // the kernel keeps 15 bytes
#endif
}

}  // namespace
}  // namespace runner_test
